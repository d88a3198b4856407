#pragma once
// The component palette of a development tool: pages by name, each with its component
// classes in registration order and each class with its palette bitmap. Packages fill it
// when they are installed; classes registered here can also be read from form files.

#include "zel/host/core/ClassInfo.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace zel::host {

struct TPaletteEntry {
    const TClassInfo* componentClass;
    std::string bitmap; ///< the BMP file bytes of the class's palette bitmap, or empty
};

struct TPalettePage {
    std::string name;
    std::vector<TPaletteEntry> entries;
};

/// Puts `classes` on palette page `page` (created when new), each with the bitmap
/// resource named after its class name in upper case.
void RegisterComponents(const std::string& page, std::initializer_list<const TClassInfo*> classes);

/// The name of a class's palette bitmap resource: the class name in upper case.
std::string BitmapResourceName(const TClassInfo& componentClass);

/// The palette pages in the order they were first used.
const std::vector<TPalettePage>& PalettePages();
/// Removes every page (a tool unloading its packages).
void ClearPalette();

/// Resources that packages carry (palette bitmaps): bytes by name.
void RegisterResource(const std::string& name, std::string bytes);
void UnregisterResource(const std::string& name);
const std::string* FindResource(const std::string& name);

} // namespace zel::host
