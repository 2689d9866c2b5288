// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

/// Pages of the user's own: UTF-8 text files in the "pages" folder beside the
/// settings, whose first line is the page's name and whose other lines hold its
/// characters.
namespace ownpages {

/// As many as the panel has cells for characters.
constexpr int maxCharacters = 195;
/// Longer names would crowd the title; longer files are no page of ours.
constexpr int maxNameLength = 80;
constexpr qint64 maxFileBytes = 64 * 1024;

struct Page
{
    QString fileName; ///< what the settings store
    QString name;
    std::u32string characters;
};

struct Reading
{
    Page page;     ///< valid when error is empty
    QString error; ///< why the file is no page
};

/// Reads a page file's contents. Line breaks between the characters are ignored.
Reading read(const QString &fileName, const QByteArray &contents);

/// Whether a file name can be a page's: the .txt files of the folder.
bool isPageFileName(const QString &fileName);

/// The folder beside the settings file: ~/.config/Ondrel/pages on Linux,
/// %APPDATA%\Ondrel\pages on Windows.
QString folder();

/// Every page of the folder that reads, in the order of their file names. Each
/// file that does not is left out, with a log line naming it and saying why.
std::vector<Page> readFolder(const QString &folder);

} // namespace ownpages
