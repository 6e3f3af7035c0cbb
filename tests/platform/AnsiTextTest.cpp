#include "platform/AnsiText.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(AnsiText, EveryByteReadsAsItsCharacterAndIsWrittenBackUnchanged)
{
    QByteArray all;
    for (int byte = 0; byte < 256; ++byte)
        all += static_cast<char>(byte);
    const QString text = AnsiToText(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(TextToAnsi(text), all);

    const std::pair<int, char16_t> samples[] = {
        {0x00, u'\0'},     {0x41, u'A'},      {0x7F, u'\x7F'},   {0x80, u'\u20AC'}, {0x81, u'\x81'},
        {0x85, u'\u2026'}, {0x8D, u'\x8D'},   {0x8F, u'\x8F'},   {0x90, u'\x90'},   {0x92, u'\u2019'},
        {0x93, u'\u201C'}, {0x94, u'\u201D'}, {0x96, u'\u2013'}, {0x97, u'\u2014'}, {0x9D, u'\x9D'},
        {0x9F, u'\u0178'}, {0xA0, u'\xA0'},   {0xE4, u'\xE4'},   {0xFF, u'\xFF'}};
    for (const auto& [byte, character] : samples)
        EXPECT_EQ(text.at(byte).unicode(), character) << byte;
}

TEST(AnsiText, ACharacterOutsideTheCodePageIsItsPlainStandInOrOneQuestionMark)
{
    const std::pair<QString, QByteArray> cases[] = {
        {QStringLiteral("Operator\u2019s"), QByteArray("Operator\x92s")},
        {QStringLiteral("\u201COK\u201D \u20AC5"), QByteArray("\x93OK\x94 \x80" "5")},
        // C1 controls that a defined byte of the code page stands in for.
        {QStringLiteral("\u0080\u0092\u009F"), QByteArray("???")},
        {QStringLiteral("\u03A9 \u4E2D"), QByteArray("? ?")},
        // A word processor's spaces and hyphens have their plain stand-ins.
        {QStringLiteral("a\u2002b\u2003c\u2010d\u2011e"), QByteArray("a b c-d-e")},
        // A character beyond the basic plane is one character.
        {QStringLiteral("a\U0001F600b"), QByteArray("a?b")},
        {QString(), QByteArray()}};
    for (const auto& [text, bytes] : cases)
        EXPECT_EQ(TextToAnsi(text), bytes) << text.toStdString();
}
