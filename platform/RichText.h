#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

// Rich text as the class library's rich edit saves it: an RTF stream of 8-bit
// text in which each paragraph keeps its characters' colour, weight, font and
// size.
namespace platform {

// One paragraph per block. '\', '{' and '}' are escaped, every character that
// is not printable ASCII is written as \'hh (its 8-bit code) and a character
// beyond 8 bits as \uN with '?' for readers that know no Unicode.
QByteArray RichTextOf(const QTextDocument& document);

// Replaces the file with the document as rich text. Throws EFileError when
// the file cannot be created or written.
void SaveRichTextToFile(const QString& fileName, const QTextDocument& document);

} // namespace platform
