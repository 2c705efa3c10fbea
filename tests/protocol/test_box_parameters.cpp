#include "protocol/BoxParameters.h"
#include "protocol/LowerCase.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

// What the readers of the table rely on: zmctl finds a parameter by its name
// with or without the prefix in any case, the parameter list pads names to
// 18 characters, the simulated box keeps EEPROM-backed values in one byte,
// and a restore never replays a value the box only reports.
TEST(BoxParameters, RowsHoldWhatTheirReadersRelyOn)
{
    std::set<std::string> names;
    for (const BoxParameter& p : kBoxParameters) {
        SCOPED_TRACE(p.name);
        ASSERT_EQ(p.name.substr(0, 7), "ZmFunc_");
        EXPECT_TRUE(names.insert(LowerCase(p.name.substr(7))).second) << "names must differ in more than case";
        EXPECT_LE(p.name.size(), 18u);
        EXPECT_LE(p.lowest, p.highest);
        EXPECT_LE(p.highest, 16383) << "values travel as 14 bits";
        if (p.eeprom) {
            EXPECT_LE(p.highest, 255) << "the EEPROM keeps one byte";
        }
        if (p.kind != ParameterKind::Setting) {
            EXPECT_FALSE(p.Restored());
            EXPECT_EQ(p.askedBy, 0) << "nothing asks for a value it cannot show";
        }
    }
}

TEST(BoxParameters, EveryScanListEditsItsOwnParameter)
{
    const ScanList lists[] = {ScanList::KeyTrigger, ScanList::KeyRetrigger, ScanList::AftertouchRange,
                              ScanList::AftertouchHoldoff, ScanList::AftertouchDelay};
    std::set<int32_t> numbers;
    for (ScanList list : lists) {
        const int32_t number = ScanListParameter(list);
        ASSERT_NE(FindBoxParameter(number), nullptr) << static_cast<int>(list);
        EXPECT_TRUE(numbers.insert(number).second) << number;
        EXPECT_NE(kBoxParameters[static_cast<size_t>(number)].askedBy & kAskedByKeyboardConfig, 0)
            << "the configurator shows a value it asked for";
    }
    EXPECT_EQ(FindBoxParameter(-1), nullptr);
    EXPECT_EQ(FindBoxParameter(kParameterCount), nullptr);
}
