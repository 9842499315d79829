#pragma once
// The program's text files and the client protocol are single-byte text in the Western ANSI code
// page (Windows-1252), the one the desktops that read them use, with CR LF line ends.
// The files themselves, as bytes, are platform/files.h's.
#include "platform/files.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace corvane {

inline constexpr char kCrLf[] = "\r\n";

struct ReadResult {
    bool ok = false;
    QString error;
    QStringList lines;
};

// Reads every line as the system's line reader does: a line ends at CR LF, CR or LF; a last line
// without an end still counts; an empty file holds no line.
ReadResult readTextLines(const QString& path);
QStringList splitTextLines(const QByteArray& bytes);

// The one conversion between text and the bytes of files and the wire. Every byte reads as a
// character and writes back as the same byte; a character the code page lacks is written as "?".
QString fromAnsi(QByteArrayView bytes);
QByteArray toAnsi(const QString& text);
// True when the code page holds the character, so that it reads back as itself.
bool inAnsi(QChar c);
// A computer or group name in capitals, as the desktops' own upper-casing gives it: a letter whose
// capital the code page lacks (µ) stays as it is, so the name reads back from a file unchanged.
QString upperName(const QString& name);

// Every line followed by CR LF, as the writers put them.
QByteArray crlfLines(const QStringList& lines);
// The value with each CR and LF in it turned into a space. The settings and schedule files are
// read by line position: a line break inside a value would move every later line.
QString oneLine(QString value);
// Key lines, each kept on one line (oneLine) and followed by CR LF.
QByteArray keyLines(const QStringList& lines);

// A settings or schedule line's value: the text between its first and second "=".
// False when the line holds no "=".
bool keyValue(const QString& line, QString& value);

} // namespace corvane

namespace corvane {
// Converts a text to a 16-bit signed integer as the system's conversion does: blanks around it are
// allowed, a fraction is rounded to the nearest whole number (a half to the even one). False for a
// text that is no number or lies outside -32768..32767.
bool toInt16(const QString& text, std::int16_t& value);
} // namespace corvane
