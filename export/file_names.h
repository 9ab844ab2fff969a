#pragma once

// File names are the system's bytes (UTF-8 on Linux, the ANSI code page on
// Windows) and are taken apart as bytes: std::filesystem hands a narrow name
// back in UTF-8 on Windows, which would garble every name with Polish
// letters on its way through.

#include <string>
#include <string_view>

// The characters that separate folders: "/", and on Windows also "\".
extern const char* const kFolderSeparators;  // file_names_<platform>.cpp

// The folder part without its last separator ("" for a bare name).
std::string FolderOf(std::string_view path);
// The last part.
std::string NameOf(std::string_view path);
// `name` in `folder` ("" or "." : the name itself).
std::string InFolder(const std::string& folder, const std::string& name);
// The extension of the last part with its dot (".xlsx"), or "".
std::string ExtensionOf(std::string_view path);
