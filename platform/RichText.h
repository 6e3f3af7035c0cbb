#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

// Rich text as the class library's rich edit saves and loads it: an RTF stream
// of 8-bit text in which each paragraph keeps its characters' colour, weight,
// font and size.
namespace platform {

// One paragraph per block. '\', '{' and '}' are escaped, every character that
// is not printable ASCII is written as \'hh (its 8-bit code) and a character
// beyond 8 bits as \uN with '?' for readers that know no Unicode.
QByteArray RichTextOf(const QTextDocument& document);

// Replaces the file with the document as rich text. Throws EFileError when
// the file cannot be created or written.
void SaveRichTextToFile(const QString& fileName, const QTextDocument& document);

// The rich edit takes a stream that begins "{\rtf" as rich text and anything
// else as plain text.
bool IsRichText(const QByteArray& contents);

// The text of a rich-text stream as a word processor shows it: each
// paragraph, line, page, section and table row ended by '\n', the cells of a
// row separated by a tab, typographic quotes, dashes, bullets and special
// spaces as their characters. Formatting, pictures and every destination the
// text does not show (font and colour tables, style sheet, document
// information, fields' instructions, "\*" groups) are dropped. \'hh gives
// the 8-bit character hh, \uN the Unicode character N and skips its \ucN
// fallback characters. Any byte sequence is read without fault: groups nest
// to any depth, a stream cut short ends the text where it stops.
QString PlainTextOfRichText(const QByteArray& rtf);

// A file as the rich edit loads it, its lines joined by '\n': rich text as
// its text, anything else as 8-bit text lines ended by CR LF, CR or LF. Only a
// regular file is opened, so a device or pipe never blocks the caller. Throws
// EFileError when the file cannot be read.
QString LoadRichEditText(const QString& fileName);

} // namespace platform
