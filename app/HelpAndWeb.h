// What the help and web-site commands open for a language, and where the help file is found. Pure but for
// FindHelpFile, which looks at the file system; any thread.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <cstdint>
#include <optional>

namespace murmex {

// The maker's site; the pages of both languages lie on it.
inline constexpr char kWebSite[] = "https://murmex.pellorquandrel.com/";

// The help file of the language: English 0, Russian 1; no other language has one.
std::optional<QString> HelpFileName(std::int32_t langNum);

// The maker's web page in the language, for English 0 and Russian 1 only.
std::optional<QUrl> WebPage(std::int32_t langNum);

// The absolute path of `name` in the first of `folders` that holds it as a file; empty folders are skipped.
// The first folder is the working folder, where anybody may have left a file: there it counts only as a
// regular file of the user's own, never as a link, a FIFO or another user's file.
std::optional<QString> FindHelpFile(const QString& name, const QStringList& folders);

} // namespace murmex
