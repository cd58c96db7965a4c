#pragma once

#include <QString>

#include <string>

namespace vestral {

// Code page 1251 bytes <-> Unicode, used only where a person reads or types.
QString FromCp1251(const std::string& bytes);

// Converts to code page 1251. Returns false (and leaves `out` unchanged) when a
// character has no place in the code page.
bool ToCp1251(const QString& text, std::string& out);

// Like ToCp1251, for texts known to fit, or where a misfit may become the substitute
// byte 0x1A.
std::string ToCp1251Lossy(const QString& text);

// A file path as the file routines take it (the platform's own encoding).
std::string ToNativePath(const QString& path);
QString FromNativePath(const std::string& path);

}  // namespace vestral
