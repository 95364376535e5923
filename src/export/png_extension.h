// The extension rule of Save. Portable.
#pragma once
#include <string>

// Forces the last extension of the file name to "png": a name whose extension
// is already png (any case) is kept, another extension is replaced, none added.
// Only a dot after the last backslash starts an extension.
void EnsurePngExtension(std::wstring& path);
