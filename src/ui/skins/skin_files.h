#pragma once

#include "core/model/options.h"
#include "core/skins/skin_store.h"

#include <QImage>
#include <filesystem>

namespace tivora {

class QtBitmap;

// The skin store (core/skins/skin_store.h) settles which files a skin has; these load
// its image into a skin bitmap and write the built-in face's image.

// The built-in default face: 139 x 139, dial centred on pixel (68, 68), white around it.
QImage builtInDefaultSkin();

// Makes sure the default skin exists, settles which skin is current (options.Skin may
// become "Default"), loads its image into skin and reads every parameter. An image
// that cannot be loaded throws SkinError with every parameter unchanged.
void LoadSkin(const std::filesystem::path &dataDir, TOptions &options, QtBitmap &skin, int dpi);

// Puts the built-in face into skin and the parameters a newly created default skin
// gives into options (options.Skin is left as it is): what the window draws with when
// no skin can be loaded at start-up.
void useBuiltInSkin(TOptions &options, QtBitmap &skin, int dpi);

// Reloads the current skin's image and writes every parameter into its parameter file.
// Throws SkinError (image) or IniWriteError (parameter file).
void SaveSkin(const std::filesystem::path &dataDir, const TOptions &options, QtBitmap &skin);

} // namespace tivora
