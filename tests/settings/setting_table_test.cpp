#include "settings/setting_table.h"

#include "settings/ini_profile.h"
#include "settings/persistent_settings.h"

#include <QFile>
#include <QFont>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <utility>

namespace stylorex {
namespace {

template <typename... Visitors>
struct Overloaded : Visitors... {
    using Visitors::operator()...;
};

// The lowest and highest number a setting can take: its range within what its field holds.
template <typename T>
std::pair<std::int64_t, std::int64_t> Bounds(const Setting& setting) {
    return {std::max<std::int64_t>(setting.lowest, std::numeric_limits<T>::lowest()),
            std::min<std::int64_t>(setting.highest, std::numeric_limits<T>::max())};
}

// A number inside the bounds that is not what a missing key reads as.
std::int64_t OtherThanFallback(const Setting& setting, std::pair<std::int64_t, std::int64_t> b) {
    return setting.fallback < b.second ? std::max<std::int64_t>(setting.fallback + 1, b.first)
                                       : setting.fallback - 1;
}

// Gives the setting a value other than what a missing key reads as. Texts get more than the 254
// bytes a fixed read buffer holds, a line break, and their key, so no two settings share one.
void SetOtherThanFallback(const Setting& setting, StoredSettings& stored) {
    std::visit(
        Overloaded{
            [&]<typename T>(const NumberField<T>& field) {
                stored.*field.member =
                    static_cast<T>(OtherThanFallback(setting, Bounds<T>(setting)));
            },
            [&](const FlagField& field) { stored.*field.member = setting.fallback == 0; },
            [&](const RealField& field) {
                stored.*field.member =
                    static_cast<double>(OtherThanFallback(setting, Bounds<std::int32_t>(setting)));
            },
            [&](const TextField& field) {
                stored.*field.member = QString::fromLatin1(setting.key) + QStringLiteral("\n") +
                                       QString(300, QChar(0x8868));
            },
            [&](const ListField& field) {
                stored.*field.member = QStringList{};
                for (int i = 0; i < field.most; ++i) {
                    stored.*field.member << QStringLiteral("%1 %2\n").arg(setting.key).arg(i) +
                                                QString(300, QChar(0x8868));
                }
            },
        },
        setting.field);
}

std::string ValueOf(const Setting& setting, const StoredSettings& stored) {
    return std::visit(
               Overloaded{
                   [&]<typename T>(const NumberField<T>& field) {
                       return QString::number(static_cast<std::int64_t>(stored.*field.member));
                   },
                   [&](const FlagField& field) { return QString::number(stored.*field.member); },
                   [&](const RealField& field) { return QString::number(stored.*field.member); },
                   [&](const TextField& field) { return stored.*field.member; },
                   [&](const ListField& field) {
                       return (stored.*field.member).join(QLatin1Char('|'));
                   },
               },
               setting.field)
        .toStdString();
}

// The window's controls reduced to the values they hold.
class HeldControls : public SettingsControls {
  public:
    QString inputText() const override { return text_; }
    void setInputText(const QString& text) override { text_ = text; }
    QFont pictureFont() const override { return font_; }
    void setPictureFont(const QFont& font) override { font_ = font; }
    bool fontTransparent() const override { return transparent_; }
    void setFontTransparent(bool on) override { transparent_ = on; }
    void processEvents() override {}

  private:
    QString text_;
    QFont font_;
    bool transparent_ = false;
};

class SettingTableTest : public ::testing::Test {
  protected:
    // What every setting reads as when the file is missing.
    StoredSettings fallbacks() const {
        StoredSettings stored;
        ReadSettings(dir_.filePath(QStringLiteral("missing.ini")), stored);
        return stored;
    }

    QTemporaryDir dir_;
    const QString path_ = dir_.filePath(QStringLiteral("stylorex.ini"));
};

TEST(SettingTable, EachEntryAndEachValueHasOneSetting) {
    const auto table = SettingTable();
    for (auto a = table.begin(); a != table.end(); ++a) {
        for (auto b = a + 1; b != table.end(); ++b) {
            EXPECT_FALSE(std::string_view(a->section) == b->section &&
                         std::string_view(a->key) == b->key)
                << a->key;
            EXPECT_FALSE(a->field == b->field) << a->key << " and " << b->key;
        }
    }
}

TEST_F(SettingTableTest, EverySettingComesBackFromTheFileAtAValueOtherThanItsDefault) {
    StoredSettings saved;
    for (const Setting& setting : SettingTable()) {
        SetOtherThanFallback(setting, saved);
    }
    ASSERT_TRUE(WriteSettings(saved, path_));

    StoredSettings loaded;
    ReadSettings(path_, loaded);
    const StoredSettings missing = fallbacks();
    for (const Setting& setting : SettingTable()) {
        EXPECT_EQ(ValueOf(setting, loaded), ValueOf(setting, saved)) << setting.key;
        EXPECT_NE(ValueOf(setting, loaded), ValueOf(setting, missing)) << setting.key;
    }

    // The same through what the program reads at its start (the window and `stylorex draw`)
    // and writes when it closes: nothing stored is lost on the way.
    SettingVariables variables;
    HeldControls controls;
    LoadSettings(variables, controls, path_);
    const QString again = dir_.filePath(QStringLiteral("again.ini"));
    ASSERT_TRUE(SaveSettings(variables, controls, again));
    StoredSettings reloaded;
    ReadSettings(again, reloaded);
    for (const Setting& setting : SettingTable()) {
        EXPECT_EQ(ValueOf(setting, reloaded), ValueOf(setting, saved)) << setting.key;
    }
}

TEST_F(SettingTableTest, ANumberOutsideItsRangeReadsAsAMissingOne) {
    const StoredSettings missing = fallbacks();
    int checked = 0;
    for (const Setting& setting : SettingTable()) {
        const auto bounds =
            std::visit(Overloaded{
                           [&]<typename T>(const NumberField<T>&) { return Bounds<T>(setting); },
                           [&](const RealField&) { return Bounds<std::int32_t>(setting); },
                           [](const auto&) {
                               return std::pair<std::int64_t, std::int64_t>(
                                   std::numeric_limits<std::int32_t>::min(),
                                   std::numeric_limits<std::int32_t>::max());
                           },
                       },
                       setting.field);
        for (const std::int64_t outside : {bounds.first - 1, bounds.second + 1}) {
            if (outside < std::numeric_limits<std::int32_t>::min() ||
                outside > std::numeric_limits<std::int32_t>::max()) {
                continue;
            }
            ASSERT_TRUE(WritePrivateProfileStringA(setting.section, setting.key,
                                                   QByteArray::number(outside).constData(), path_));
            StoredSettings loaded;
            SetOtherThanFallback(setting, loaded);
            ReadSettings(path_, loaded, setting.section);
            EXPECT_EQ(ValueOf(setting, loaded), ValueOf(setting, missing))
                << setting.key << "=" << outside;
            ++checked;
        }
    }
    EXPECT_GT(checked, 0);
}

// The palette's list: a shorter one removes the numbers it no longer uses, back at the defaults
// without a palette the colour entries leave the file, and the lines a hand added stay.
TEST_F(SettingTableTest, APaletteListTakesItsKeysAndGivesThemBackAndLeavesOtherLinesAlone) {
    StoredSettings stored;
    stored.PaletteSwatches = {QStringLiteral("1,2 #000000"), QStringLiteral("3,4 #FF0000"),
                              QStringLiteral("5,6 #00FF00")};
    ASSERT_TRUE(WriteSettings(stored, path_));
    {
        QFile file(path_);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("[Mine]\r\nKept=as typed \r\n");
    }
    stored.PaletteSwatches.removeLast();
    ASSERT_TRUE(WriteSettings(stored, path_));
    StoredSettings loaded;
    ReadSettings(path_, loaded);
    EXPECT_EQ(loaded.PaletteSwatches, stored.PaletteSwatches);
    QFile file(path_);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray text = file.readAll();
    file.close();
    EXPECT_TRUE(text.contains("[Palette]\r\nSwatch1=1,2 #000000\r\nSwatch2=3,4 #FF0000\r\n"))
        << text.toStdString();
    EXPECT_FALSE(text.contains("Swatch3")) << text.toStdString();
    EXPECT_TRUE(text.contains("[Mine]\r\nKept=as typed \r\n")) << text.toStdString();

    stored.PaletteSwatches.clear();
    ASSERT_TRUE(WriteSettings(stored, path_));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    text = file.readAll();
    EXPECT_FALSE(text.contains("Swatch")) << text.toStdString();
    EXPECT_FALSE(text.contains("ColourMode")) << text.toStdString();
    EXPECT_TRUE(text.contains("[Mine]\r\nKept=as typed \r\n")) << text.toStdString();
}

}  // namespace
}  // namespace stylorex
