// The registry of component classes.
#include "Components.h"

namespace {

std::vector<TComponentClass>& Registry() {
    static std::vector<TComponentClass> classes;
    return classes;
}

}  // namespace

void RegisterClasses(const std::vector<TComponentClass>& classes) {
    for (const TComponentClass& c : classes)
        if (!FindClass(c.Name)) Registry().push_back(c);
}

const TComponentClass* FindClass(const std::string& name) {
    for (const TComponentClass& c : Registry())
        if (c.Name == name) return &c;
    return nullptr;
}

std::vector<std::string> RegisteredClassNames() {
    std::vector<std::string> names;
    for (const TComponentClass& c : Registry()) names.push_back(c.Name);
    return names;
}
