#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The system ANSI code page (Windows-31J, code page 932) as the VB runtime uses it.
namespace forms {

// Text in code page 932; a character the code page cannot hold becomes one "?" byte.
QByteArray toAnsi(const QString& text);
// As toAnsi, and appends each character the code page cannot hold to unmappable (once each).
QByteArray toAnsi(const QString& text, QString& unmappable);

// Characters with their code points, for a report of those the code page cannot hold:
// "𠮷 (U+20BB7), ① (U+2460)".
QString characterCodes(const QString& chars);

// Code page 932 bytes as text; an invalid byte sequence becomes U+FFFD.
QString fromAnsi(const QByteArray& bytes);

// How many bytes the text takes in code page 932 (LenB of StrConv(text, vbFromUnicode)).
int ansiByteLength(const QString& text);

// A text file's content: UTF-8 when it starts with a UTF-8 byte order mark, else code page 932.
QString decodeTextFile(const QByteArray& content);

// The lines of a text file as Line Input reads them: a line ends at CR or CR LF (a lone LF is
// part of the line); a final line end adds no empty line. Throws 53 for a missing file and 75
// for one that cannot be read.
QStringList readTextLines(const QString& path);

} // namespace forms
