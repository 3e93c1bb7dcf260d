#include <gtest/gtest.h>

#include <array>

#include "SettingsProbe.h"
#include "base/Utf16.h"
#include "engine/ZelbConfigClass.h"

using host::RegistryValue;
using velmora::kNoIndex;
using velmora::TConfigProperty;
using velmora::TConfigValue;
using velmora::TPropertyKind;

namespace {

constexpr char16_t kSampleKey[] = u"Software\\Sample";

// Every kind of cell, a property without a default, one without an index.
class TSampleConfig final : public velmora::TZelbConfigClass {
public:
    std::int32_t counter = 0;  // the property without an index lives here, and is saved by its own setter

    explicit TSampleConfig(bool useLocalMachine = false, bool autoPersist = true, std::u16string key = kSampleKey)
        : TZelbConfigClass(useLocalMachine, autoPersist, std::move(key)) {
        Open();
    }
    void SetCounter(std::int32_t value) {
        counter = value;
        SaveProperty(kProperties[5]);
    }

protected:
    std::span<const TConfigProperty> Properties() const override { return kProperties; }

private:
    static TConfigValue ReadCounter(const TZelbConfigClass& self) {
        return static_cast<const TSampleConfig&>(self).counter;
    }
    static void WriteCounter(TZelbConfigClass& self, const TConfigValue& value) {
        static_cast<TSampleConfig&>(self).SetCounter(std::get<std::int32_t>(value));
    }
    static constexpr std::array<TConfigProperty, 6> kProperties = {{
        {u"Ratio", TPropertyKind::Float, 1, std::nullopt, {}},
        {u"Total", TPropertyKind::Int64, 2, std::nullopt, {}},
        {u"Label", TPropertyKind::ShortString, 3, std::nullopt, {}},
        {u"Count", TPropertyKind::Integer, 4, std::nullopt, {}},
        {u"Mode", TPropertyKind::Enumeration, 7, 2, {}},
        {u"Counter", TPropertyKind::Integer, kNoIndex, 5, {&ReadCounter, &WriteCounter}},
    }};
};

class TSetConfig final : public velmora::TZelbConfigClass {
public:
    explicit TSetConfig(bool autoPersist) : TZelbConfigClass(false, autoPersist, kSampleKey) { Open(); }

protected:
    std::span<const TConfigProperty> Properties() const override { return kProperties; }

private:
    static constexpr std::array<TConfigProperty, 1> kProperties = {{{u"Days", TPropertyKind::Set, 1, 0, {}}}};
};

class SettingsStoreTest : public ::testing::Test, protected SettingsProbe {
protected:
    SettingsStoreTest() { key = kSampleKey; }
};

TEST_F(SettingsStoreTest, FloatsAreStoredAsTwentyThreeCharacterScientificText) {
    TSampleConfig config;
    EXPECT_EQ(config.GetExtended(1), 0.0L);
    config.SetDouble(1, 1.5);
    EXPECT_EQ(Stored(u"Ratio"), RegistryValue::OfString(u" 1.50000000000000E+0000"));
    config.SetDouble(1, -0.000123);
    EXPECT_EQ(Stored(u"Ratio"), RegistryValue::OfString(u"-1.23000000000000E-0004"));
    config.SetDouble(1, 6.02e300);
    EXPECT_EQ(Stored(u"Ratio"), RegistryValue::OfString(u" 6.02000000000000E+0300"));
    config.SetSingle(1, 0.1f);
    EXPECT_EQ(TSampleConfig().GetSingle(1), 0.1f);

    for (const char16_t* unreadable : {u"2,5", u"abc", u""}) {
        Store(u"Ratio", RegistryValue::OfString(unreadable));
        EXPECT_EQ(TSampleConfig().GetDouble(1), 0.0) << "skipped: " << velmora::ToUtf8(unreadable);
    }
}

TEST_F(SettingsStoreTest, Int64AndStringsAndOrdinalsWithoutDefaultAreAlwaysWritten) {
    TSampleConfig config;
    config.SetInt64(2, -9007199254740993);
    EXPECT_EQ(Stored(u"Total"), RegistryValue::OfString(u"-9007199254740993"));
    EXPECT_EQ(TSampleConfig().GetInt64(2), -9007199254740993);
    config.SetString(3, u"x");
    config.SetString(3, u"");
    EXPECT_EQ(Stored(u"Label"), RegistryValue::OfString(u""));
    config.SetInteger(4, 5);
    config.SetInteger(4, 0);
    EXPECT_EQ(Stored(u"Count"), RegistryValue::OfDword(0));

    Store(u"Total", RegistryValue::OfString(u"12x"));
    EXPECT_EQ(ConfigError([] { TSampleConfig broken; }), "'12x' is not a valid integer value");
}

TEST_F(SettingsStoreTest, SmallOrdinalComparesTheLowByteAndByteTheWholeCell) {
    Store(u"Mode", RegistryValue::OfDword(258));
    TSampleConfig config;
    config.SetSmallOrdinal(7, 2);
    EXPECT_EQ(Stored(u"Mode"), RegistryValue::OfDword(258));
    config.SetByte(7, 2);
    EXPECT_FALSE(Stored(u"Mode")) << "back at the default";
}

TEST_F(SettingsStoreTest, PropertyWithoutIndexGoesThroughItsOwnAccessors) {
    Store(u"Counter", RegistryValue::OfDword(7));
    SetUserHiveWritable(false);
    EXPECT_EQ(TSampleConfig().counter, 7) << "loading writes nothing back";
    SetUserHiveWritable(true);
    TSampleConfig config;
    config.SetCounter(5);
    EXPECT_EQ(Stored(u"Counter"), RegistryValue::OfDword(5)) << "no default applies without an index";
    EXPECT_EQ(ConfigError([&] { config.GetInteger(kNoIndex); }), "Property not found");
}

TEST_F(SettingsStoreTest, WithoutAutoPersistNothingIsReadOrWritten) {
    Store(u"Count", RegistryValue::OfDword(9));
    TSampleConfig config(false, false);
    EXPECT_EQ(config.GetInteger(4), 0);
    config.SetInteger(4, 3);
    EXPECT_EQ(config.GetInteger(4), 3);
    EXPECT_EQ(Stored(u"Count"), RegistryValue::OfDword(9));
}

TEST_F(SettingsStoreTest, KindWithoutCellFailsTheConstruction) {
    EXPECT_EQ(ConfigError([] { TSetConfig config(true); }), "Unsupported property type");
    EXPECT_EQ(ConfigError([] { TSetConfig config(false); }), "Unsupported property type");
}

TEST_F(SettingsStoreTest, EmptyKeyIsNamedAfterTheProgram) {
    TSampleConfig config(false, true, u"");
    EXPECT_EQ(config.Key(), u"Software\\engine_tests");
    EXPECT_TRUE(platform.Registry().KeyExists(root, config.Key()));
}

// Wine lets its user, an administrator, create keys whatever their access
// rules say, so a machine hive that refuses new keys exists only on Linux.
#ifndef _WIN32
TEST_F(SettingsStoreTest, MachineKeyThatCannotBeCreatedFailsTheFirstWrite) {
    platform.MakeMachineHiveReadOnly();
    TSampleConfig config(true);
    EXPECT_EQ(config.GetInteger(7), 2);
    EXPECT_EQ(ConfigError([&] { config.SetInteger(7, 3); }), "Failed to set data for 'Mode'");
    EXPECT_EQ(ConfigError([&] { config.SetInteger(7, 3); }), "Failed to set data for 'Mode'");
    EXPECT_FALSE(platform.Registry().KeyExists(host::RegistryRoot::LocalMachine, key));
}
#endif

}  // namespace
