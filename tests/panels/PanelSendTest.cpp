#include "PanelFixture.h"

#include <optional>

namespace {

TEST_F(PanelFixture, QueryIgnoresRepliesWithTheDialectsMarker)
{
    struct Case { QByteArray Reply; panels::Dialect Language; std::optional<QString> Read; };
    const Case cases[] = {
        {"1,250\r\n", panels::SemicolonDialect, "1,250"},
        {"2 1", panels::SemicolonDialect, "2 1"},
        {"?E3\r\n", panels::SemicolonDialect, std::nullopt},
        {"0001\r?\r\n", panels::SemicolonDialect, "0001"},
        {"", panels::SemicolonDialect, ""},
        {"22.5+\r\n", panels::SettingDialect, "22.5+"},
        {"?1\r\n", panels::SettingDialect, "?1"},
        {"Timeout Error\r\n", panels::SettingDialect, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Reply.toStdString());
        Answer(";LC:ED?", c.Reply);
        EXPECT_EQ(panels::Query(QStringLiteral(";LC:ED?"), c.Language), c.Read);
        EXPECT_EQ(CommTermForm->LastResponse, QString::fromLatin1(c.Reply.split('\r').constFirst()));
    }
    EXPECT_EQ(Wire(), QList<QByteArray>(std::size(cases), ";LC:ED?"));
}

} // namespace
