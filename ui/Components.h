// Component classes known by name, so that a form layout can name the class of
// each of its controls and the loader can create it.
#pragma once

#include <string>
#include <vector>

struct TComponentClass {
    std::string Name;         // as the layout names it, e.g. "TButton"
    std::string WindowClass;  // the system window class behind it
};

void RegisterClasses(const std::vector<TComponentClass>& classes);
// Null when the class was never registered.
const TComponentClass* FindClass(const std::string& name);
// Names in registration order.
std::vector<std::string> RegisteredClassNames();
