#include "platform/forms/FormsError.h"
#include "platform/forms/PropertyBag.h"
#include "platform/forms/StoredDesign.h"
#include "platform/forms/Twips.h"

#include <QWidget>

#include <gtest/gtest.h>

using namespace forms;

TEST(PropertyBag, NamesMatchWithoutRegardToCase)
{
    PropertyBag bag;
    bag.WriteProperty(QStringLiteral("matchFuzzy"), true, false);
    EXPECT_TRUE(bag.ReadProperty(QStringLiteral("matchfuzzy"), false).toBool());
    EXPECT_TRUE(bag.ReadProperty(QStringLiteral("MATCHFUZZY"), false).toBool());
    bag.WriteProperty(QStringLiteral("MatchFuzzy"), false, true);   // overwrites the same entry
    EXPECT_EQ(bag.names(), QStringList{QStringLiteral("matchFuzzy")});
    EXPECT_FALSE(bag.ReadProperty(QStringLiteral("matchfuzzy"), true).toBool());
}

TEST(PropertyBag, AbsentNameGivesTheDefault)
{
    const PropertyBag bag;
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("textFilePath"), QString()).toString(), QString());
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("color"), -16777216).toInt(), -16777216);
    EXPECT_TRUE(bag.ReadProperty(QStringLiteral("matchWholeWordEnabled"), true).toBool());
}

TEST(PropertyBag, ValueEqualToDefaultIsNotStored)
{
    PropertyBag bag;
    bag.WriteProperty(QStringLiteral("caption"), QString(), QString());
    bag.WriteProperty(QStringLiteral("color"), -16777216, -16777216);
    bag.WriteProperty(QStringLiteral("isSelect"), false, false);
    EXPECT_TRUE(bag.isEmpty());

    bag.WriteProperty(QStringLiteral("color"), 255, -16777216);
    EXPECT_TRUE(bag.contains(QStringLiteral("COLOR")));
    // Writing the default later removes what was stored.
    bag.WriteProperty(QStringLiteral("Color"), -16777216, -16777216);
    EXPECT_FALSE(bag.contains(QStringLiteral("color")));
}

TEST(PropertyBag, JsonNumbersCompareWithIntegerDefaults)
{
    PropertyBag bag = PropertyBag::fromJson(QJsonObject{{"color", 255}, {"istrue", true}});
    bag.WriteProperty(QStringLiteral("color"), 255, 0);
    EXPECT_EQ(bag.toJson(), (QJsonObject{{"color", 255}, {"istrue", true}}));
    bag.WriteProperty(QStringLiteral("color"), 0, 0);
    EXPECT_EQ(bag.toJson(), (QJsonObject{{"istrue", true}}));
}

TEST(StoredDesign, LoadsFormAndControlsFromResource)
{
    const StoredDesign design = StoredDesign::load(QStringLiteral(":/designs/frmSample.json"));
    EXPECT_EQ(design.form().ReadProperty(QStringLiteral("Caption")).toString(), QStringLiteral("Sample"));
    EXPECT_EQ(design.form().ReadProperty(QStringLiteral("clientWidth")).toInt(), 4500);
    EXPECT_FALSE(design.form().contains(QStringLiteral("controls")));

    EXPECT_TRUE(design.control(QStringLiteral("CTLOPTIONS")).ReadProperty(QStringLiteral("matchFuzzy"), false).toBool());
    EXPECT_EQ(design.control(QStringLiteral("btnColor"), 1).ReadProperty(QStringLiteral("btnToolTipText")).toString(),
              QStringLiteral("赤"));
    EXPECT_FALSE(design.control(QStringLiteral("btnColor"), 0).contains(QStringLiteral("color")));
    EXPECT_FALSE(design.hasControl(QStringLiteral("btnColor"), 2));
    EXPECT_FALSE(design.hasControl(QStringLiteral("btnColor")));
}

TEST(StoredDesign, FailuresCarryTheirNumbers)
{
    const auto numberOf = [](auto&& f) {
        try {
            f();
        } catch (const core::Error& e) {
            return e.number();
        }
        return 0;
    };
    EXPECT_EQ(numberOf([] { StoredDesign::load(QStringLiteral(":/designs/absent.json")); }), FileNotFound);
    EXPECT_EQ(numberOf([] { StoredDesign::load(QStringLiteral(":/designs/notADesign.json")); }), InvalidFileFormat);
    const StoredDesign design = StoredDesign::load(QStringLiteral(":/designs/frmSample.json"));
    EXPECT_EQ(numberOf([&] { design.control(QStringLiteral("txtMissing")); }), core::SubscriptOutOfRange);
}

TEST(StoredDesign, PlacesWidgetsInTwipsAndHimetric)
{
    const StoredDesign design = StoredDesign::load(QStringLiteral(":/designs/frmSample.json"));
    QWidget label;
    placeFromDesign(&label, design.control(QStringLiteral("lblText")));
    EXPECT_EQ(label.geometry(), QRect(8, 8, 100, 17));
    QWidget options;
    placeFromDesign(&options, design.control(QStringLiteral("ctlOptions")));
    // 5292 x 1482 HIMETRIC = 3000 x 840 twips = 200 x 56 pixels.
    EXPECT_EQ(options.geometry(), QRect(8, 32, 200, 56));
}

TEST(Twips, FifteenTwipsPerPixelAt96Dpi)
{
    ASSERT_DOUBLE_EQ(twipsPerPixelX(), 15.0);
    ASSERT_DOUBLE_EQ(twipsPerPixelY(), 15.0);
    EXPECT_EQ(twipsToPixelsX(600), 40);
    EXPECT_EQ(twipsToPixelsX(4000), 267);
    EXPECT_EQ(twipsToPixelsY(7), 0);
    EXPECT_EQ(twipsToPixelsY(8), 1);
    EXPECT_EQ(pixelsToTwips(QSize(503, 167)), QSize(7545, 2505));
    for (int px : {0, 1, 40, 267, 1024})
        EXPECT_EQ(twipsToPixelsX(pixelsToTwipsX(px)), px);
    for (int tw : {0, 7, 600, 4000, 7545, 32767})
        EXPECT_LE(std::abs(pixelsToTwipsY(twipsToPixelsY(tw)) - tw), 7);
}

TEST(Twips, HimetricExtents)
{
    EXPECT_EQ(himetricToTwips(9763), 5535);
    EXPECT_EQ(himetricToTwips(2540), 1440);
    EXPECT_EQ(twipsToHimetric(1440), 2540);
    EXPECT_EQ(twipsToHimetric(himetricToTwips(2355)), 2355);
}
