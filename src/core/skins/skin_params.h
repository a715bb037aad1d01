#pragma once

#include "core/model/font_height.h"
#include "core/model/options.h"

namespace tivora {

class IniFile;

inline constexpr const char *DefaultSkinName = "Default";

// The largest cell side a parameter file may give (cWindth, cHeight); a larger one is
// refused with a line on stderr and the built-in value is used.
inline constexpr int MaxCellSide = 2048;

// The default skin's parameter file: Info, then the ten keys it needs, in order.
void writeDefaultSkinIni(IniFile &ini);

// The parameters a newly created default skin gives with an image of that size: what
// the built-in face is drawn with when no skin can be loaded.
void builtInSkinParameters(TOptions &options, int imageWidth, int imageHeight, int dpi);

// Reads every skin parameter from section Main, in order, each from its key or its
// default; the text position defaults come from the image size and font heights.
void readSkinParameters(const IniFile &ini, TOptions &options, int imageWidth, int imageHeight,
                        int dpi);

// Writes every skin parameter into section Main, in the order they are read, keeping
// other keys. Throws IniWriteError at the first key that cannot be written.
void writeSkinParameters(IniFile &ini, const TOptions &options);

} // namespace tivora
