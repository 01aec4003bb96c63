#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <velora/string_list.h>

#include "host/host_objects.h"

using velora::Object;
using velora::Property;

namespace {

class PropertyValue : public host_test::HostObjects {
protected:
    void SetUp() override { object_ = Make("Holder"); }

    Property* New(int type, std::uint32_t flags = 0) {
        const std::string name = "P" + std::to_string(next_++);
        Property* p = object_->CreateProperty(name.c_str(), type, flags);
        EXPECT_NE(p, nullptr);
        return p;
    }

    static std::string Text(const Property* p) {
        std::string out;
        EXPECT_TRUE(p->Format(&out));
        return out;
    }

    // Parses, formats and parses again into a second property of the same
    // type: the two raw values must be bytewise equal.
    void ExpectRoundTrip(int type, const char* text) {
        Property* a = New(type);
        Property* b = New(type);
        ASSERT_TRUE(a->Parse(text)) << text;
        const std::string written = Text(a);
        ASSERT_TRUE(b->Parse(written.c_str())) << written;
        EXPECT_EQ(Text(b), written);
        const std::size_t n = a->Type()->ValueSize();
        ASSERT_LE(n, 32u);
        unsigned char ra[32] = {}, rb[32] = {};
        ASSERT_TRUE(a->GetRaw(ra));
        ASSERT_TRUE(b->GetRaw(rb));
        if (a->Type()->Kind() != velora::ValueKind::kString) {
            EXPECT_EQ(std::memcmp(ra, rb, n), 0) << text << " -> " << written;
        }
    }

    // Bad text is refused and the value stays as it was.
    void ExpectRefused(Property* p, const char* text) {
        const std::string before = Text(p);
        EXPECT_FALSE(p->Parse(text)) << "'" << text << "' was taken by " << p->Type()->Name();
        EXPECT_EQ(Text(p), before) << text;
    }

    Object* object_ = nullptr;
    int next_ = 0;
};

TEST_F(PropertyValue, NewValuesAreZero) {
    const std::pair<int, const char*> zeros[] = {{velora::kDataInteger, "0"}, {velora::kDataNumber, "0"},
                                                 {velora::kDataBool, "false"}, {velora::kDataString, ""},
                                                 {velora::kDataVector, "0 0 0"}, {velora::kDataTime, "0T"},
                                                 {velora::kDataObject, ""}};
    for (const auto& [type, text] : zeros) EXPECT_EQ(Text(New(type)), text) << type;
    const char* s = nullptr;
    ASSERT_TRUE(New(velora::kDataString)->GetRaw(&s));
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s, "");
}

TEST_F(PropertyValue, EveryTypeReadsBackWhatItWritesBitForBit) {
    const std::pair<int, std::vector<const char*>> cases[] = {
        {velora::kDataInteger, {"0", "-1", "2147483647", "-2147483648", " 42 "}},
        {velora::kDataInt64, {"9223372036854775807", "-9223372036854775808", "-5"}},
        {velora::kDataUInt64, {"18446744073709551615", "0", "7"}},
        {velora::kDataNumber,
         {"0.1", "-0", "1e300", "4.9406564584124654e-324", "2.2250738585072014e-308", "1.7976931348623157e308",
          "3.141592653589793", "123456789012345678", "-inf", "inf"}},
        {velora::kDataFloat, {"0.1", "3.40282347e38", "1.17549435e-38", "1.4e-45", "-2.5", "16777217", "1.5e10"}},
        {velora::kDataVector2, {"0.1 -0.2"}},
        {velora::kDataVector4, {"1e-300 2 3 4"}},
        {velora::kDataColor, {"0.25 0.5 0.75"}},
        {velora::kDataColorAndAlpha, {"0.1, 0.2, 0.3, 1"}},
        {velora::kDataTime, {"0T", "141120000T", "-1T", "9223372036854775807T", "-9223372036854775808T", "12"}},
        {velora::kDataTimecode, {"12 3661 29.970000000000001"}},
    };
    for (const auto& [type, texts] : cases)
        for (const char* text : texts) ExpectRoundTrip(type, text);
}

TEST_F(PropertyValue, TextsAreReadInAnyAcceptedFormAndWrittenInTheShortestOne) {
    struct Case {
        int type;
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {velora::kDataInteger, "-2147483648", "-2147483648"},
        {velora::kDataBool, "TRUE", "true"}, {velora::kDataBool, " False ", "false"}, {velora::kDataBool, "1", "true"},
        {velora::kDataAction, "TRUE", "true"}, {velora::kDataAction, " False ", "false"},
        {velora::kDataAction, "1", "true"},
        {velora::kDataNumber, "0.1", "0.1"},  // shortest form, not 0.10000000000000001
        // Whole numbers stay in plain notation.
        {velora::kDataNumber, "10", "10"}, {velora::kDataNumber, "1.5e10", "15000000000"},
        {velora::kDataNumber, "-300", "-300"}, {velora::kDataNumber, "1e20", "1e+20"},
        {velora::kDataNumber, "0.0001", "0.0001"}, {velora::kDataNumber, "1e-5", "1e-05"},
        {velora::kDataNumber, "1234567890123456", "1234567890123456"},
        {velora::kDataFloat, "100", "100"}, {velora::kDataFloat, "0.1", "0.1"},
        // Vectors take spaces or commas.
        {velora::kDataVector, "1, 2.5,-3", "1 2.5 -3"}, {velora::kDataVector, "\t4 5   6 ", "4 5 6"},
        {velora::kDataTime, "4704000", "4704000T"},
        {velora::kDataTimecode, "1, 2, 30", "1 2 30"},
    };
    for (const Case& c : cases) {
        Property* p = New(c.type);
        ASSERT_TRUE(p->Parse(c.in)) << c.in;
        EXPECT_EQ(Text(p), c.out) << c.in;
    }
    // The values behind some of those texts.
    Property* i = New(velora::kDataInteger);
    ASSERT_TRUE(i->Parse("-2147483648"));
    EXPECT_EQ(i->AsInt(), INT_MIN);
    Property* u = New(velora::kDataUInt64);
    ASSERT_TRUE(u->Parse("18446744073709551615"));
    unsigned long long big = 0;
    ASSERT_TRUE(u->GetRaw(&big));
    EXPECT_EQ(big, ULLONG_MAX);
    Property* time = New(velora::kDataTime);
    ASSERT_TRUE(time->Parse("4704000"));
    long long ticks = 0;
    ASSERT_TRUE(time->GetRaw(&ticks));
    EXPECT_EQ(ticks, 4704000);
    Property* tc = New(velora::kDataTimecode);
    ASSERT_TRUE(tc->Parse("1, 2, 30"));
    double raw[3] = {};
    ASSERT_TRUE(tc->GetRaw(raw));
    EXPECT_EQ(raw[0], 1.0);
    EXPECT_EQ(raw[1], 2.0);
    EXPECT_EQ(raw[2], 30.0);
    // A third and a NaN are written so that they read back as they were.
    Property* d = New(velora::kDataNumber);
    Property* e = New(velora::kDataNumber);
    const double third = 1.0 / 3.0;
    double back = 0;
    ASSERT_TRUE(d->SetRaw(&third));
    ASSERT_TRUE(e->Parse(Text(d).c_str()));
    ASSERT_TRUE(e->GetRaw(&back));
    EXPECT_EQ(back, third);
    ASSERT_TRUE(d->Parse("nan"));
    ASSERT_TRUE(d->GetRaw(&back));
    EXPECT_TRUE(std::isnan(back));
    ASSERT_TRUE(e->Parse(Text(d).c_str()));
    ASSERT_TRUE(e->GetRaw(&back));
    EXPECT_TRUE(std::isnan(back));
    // Booleans and actions: any non-zero byte is true.
    for (int type : {velora::kDataBool, velora::kDataAction}) {
        Property* b = New(type);
        const unsigned char set = 0x7f;
        ASSERT_TRUE(b->SetRaw(&set));
        EXPECT_EQ(b->AsInt(), 1);
        EXPECT_EQ(Text(b), "true");
    }
}

TEST_F(PropertyValue, BadTextIsRefusedAndTheValueStays) {
    struct Case {
        int type;
        const char* value;
        std::vector<const char*> bad;
    };
    const Case cases[] = {
        {velora::kDataInteger, "17", {"", " ", "abc", "12x", "1 2", "2147483648", "-2147483649", "1.5", "0x10", "--1"}},
        {velora::kDataInt64, "-3", {"9223372036854775808", "", "3e2"}},
        {velora::kDataUInt64, "5", {"-1", " -0", "18446744073709551616", "+"}},
        {velora::kDataNumber, "2.5", {"", "  ", "x", "1.5.2", "1e", "1e999", "2.5 3", "1,", "--2"}},
        {velora::kDataFloat, "0.1", {"1e39", "0.1 0.2"}},  // beyond a float
        {velora::kDataVector, "1 2 3", {"1 2", "1 2 3 4", "1,,2,3", "1 2 x", "", "1-2 3", ", 1 2 3", "1 2 3,"}},
        {velora::kDataColorAndAlpha, "1 1 1 1", {"1 1 1"}},  // alpha missing
        {velora::kDataTime, "4T", {"T", "", "1.5T", "12 T", "1TT", "x", "9223372036854775808T"}},
        {velora::kDataTimecode, "1 2 3", {"1 2"}},
        {velora::kDataBool, "true", {"yes", "", "truex", "2", "t"}},
        {velora::kDataAction, "true", {"yes", "", "truex", "2", "t"}},
    };
    for (const Case& c : cases) {
        Property* p = New(c.type);
        ASSERT_TRUE(p->Parse(c.value)) << c.value;
        for (const char* t : c.bad) ExpectRefused(p, t);
    }
}

TEST_F(PropertyValue, IntegerClampsAreExactAtTheEndsOfTheRange) {
    Property* l = New(velora::kDataInt64);
    l->Definition().SetMax(9.3e18, true);  // above every long long: never applies
    ASSERT_TRUE(l->Parse("9223372036854775807"));
    EXPECT_EQ(Text(l), "9223372036854775807");
    l->Definition().SetMin(1e300, true);  // above every value: raises every write to the top
    ASSERT_TRUE(l->Parse("0"));
    EXPECT_EQ(Text(l), "9223372036854775807");
    Property* u = New(velora::kDataUInt64);
    u->Definition().SetMin(-5, true);  // below every value: never applies
    u->Definition().SetMax(-1, true);  // below every value: holds writes to 0
    ASSERT_TRUE(u->Parse("12"));
    EXPECT_EQ(Text(u), "0");
    Property* i = New(velora::kDataInteger);
    i->Definition().SetMin(std::nan(""), true);
    ASSERT_TRUE(i->Parse("-2147483648"));
    EXPECT_EQ(Text(i), "-2147483648");
}

TEST_F(PropertyValue, StringsAreOwnedCopies) {
    Property* s = New(velora::kDataString);
    char text[] = "hello world";
    const char* in = text;
    ASSERT_TRUE(s->SetRaw(&in));
    text[0] = 'J';  // the caller's buffer changes; the property keeps its copy
    EXPECT_EQ(Text(s), "hello world");
    const char* out = nullptr;
    ASSERT_TRUE(s->GetRaw(&out));
    EXPECT_NE(out, text);
    ASSERT_TRUE(s->SetRaw(&out));  // writing its own text back is safe
    EXPECT_EQ(Text(s), "hello world");
    const char* null = nullptr;
    ASSERT_TRUE(s->SetRaw(&null));
    EXPECT_EQ(Text(s), "");
    ASSERT_TRUE(s->Parse("  spaced ~ text  "));
    EXPECT_EQ(Text(s), "  spaced ~ text  ");
    const char* stored = *static_cast<const char* const*>(s->ValuePtr());
    EXPECT_STREQ(stored, "  spaced ~ text  ");
}

TEST_F(PropertyValue, EnumerationsRoundTripThroughTheirTexts) {
    Property* e = New(velora::kDataEnum);
    EXPECT_FALSE(e->Definition().HasEnumList());
    EXPECT_EQ(e->Definition().EnumText(0), nullptr);
    velora::StringList* list = e->Definition().EnumList(true);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(e->Definition().HasEnumList());
    for (const char* t : {"Constant", "Linear", "Cubic", "7"}) list->Add(t, 0);
    EXPECT_STREQ(e->Definition().EnumText(2), "Cubic");
    EXPECT_EQ(e->Definition().EnumText(4), nullptr);
    EXPECT_EQ(e->Definition().EnumText(-1), nullptr);
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(e->SetInt(i));
        const std::string text = Text(e);
        EXPECT_STREQ(text.c_str(), e->Definition().EnumText(i));
        ASSERT_TRUE(e->SetInt(0));
        ASSERT_TRUE(e->Parse(text.c_str()));
        EXPECT_EQ(e->AsInt(), i) << text;
    }
    // A text that looks like a number names its own entry.
    ASSERT_TRUE(e->Parse("7"));
    EXPECT_EQ(e->AsInt(), 3);
    // Values without a text.
    ASSERT_TRUE(e->SetInt(9));
    EXPECT_EQ(Text(e), "#9");
    ASSERT_TRUE(e->SetInt(0));
    ASSERT_TRUE(e->Parse("#9"));
    EXPECT_EQ(e->AsInt(), 9);
    ASSERT_TRUE(e->Parse("1"));  // a plain number that is no text
    EXPECT_EQ(e->AsInt(), 1);
    // Texts are exact bytes.
    for (const char* t : {"linear", "Linear ", "", "#", "#x", "Quadratic"}) ExpectRefused(e, t);
    const unsigned before = e->Definition().EnumListVersion();
    e->NotifyEnumListChanged();
    EXPECT_EQ(e->Definition().EnumListVersion(), before + 1);
}

TEST_F(PropertyValue, StringListsSplitAndJoinAtTilde) {
    Property* l = New(velora::kDataStringList);
    EXPECT_TRUE(l->Definition().IsList());
    ASSERT_TRUE(l->Definition().HasEnumList());
    ASSERT_TRUE(l->Parse("a~b c~~d"));
    EXPECT_EQ(l->Definition().EnumList(false)->Count(), 4);
    EXPECT_STREQ(l->Definition().EnumText(2), "");
    EXPECT_EQ(Text(l), "a~b c~~d");
    const velora::StringList* raw = nullptr;
    ASSERT_TRUE(l->GetRaw(&raw));
    EXPECT_EQ(raw, l->Definition().EnumList(false));
    velora::StringList other;
    other.Add("x", 5);
    const velora::StringList* in = &other;
    ASSERT_TRUE(l->SetRaw(&in));
    EXPECT_EQ(Text(l), "x");
    EXPECT_EQ(l->Definition().EnumList(false)->ReferenceAt(0), 5u);
    ASSERT_TRUE(l->Parse(""));
    EXPECT_EQ(l->Definition().EnumList(false)->Count(), 0);
}

TEST_F(PropertyValue, EventsHaveNoValueAndNoText) {
    Property* ev = New(velora::kDataEvent);
    char buffer[8] = "xxxxxxx";
    EXPECT_EQ(ev->Format(buffer, sizeof buffer), -1);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_FALSE(ev->Parse(""));
    int dummy = 0;
    EXPECT_FALSE(ev->GetRaw(&dummy));
    EXPECT_FALSE(ev->SetRaw(&dummy));
    EXPECT_EQ(ev->ValuePtr(), nullptr);
    std::string out = "left";
    EXPECT_FALSE(ev->Format(&out));
    EXPECT_TRUE(out.empty());
}

TEST_F(PropertyValue, FormatIntoSmallBuffersIsCutAndTerminated) {
    Property* s = New(velora::kDataString);
    ASSERT_TRUE(s->Parse("abcdefghij"));
    char buffer[16];
    std::memset(buffer, '!', sizeof buffer);
    EXPECT_EQ(s->Format(buffer, 4), 10);  // the whole length, for a second call
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(buffer[4], '!');  // nothing written past the size
    std::memset(buffer, '!', sizeof buffer);
    EXPECT_EQ(s->Format(buffer, 1), 10);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[1], '!');
    EXPECT_EQ(s->Format(buffer, 0), 10);
    EXPECT_EQ(buffer[0], 0);  // size 0: untouched
    EXPECT_EQ(s->Format(nullptr, 100), 10);
    EXPECT_EQ(s->Format(buffer, 11), 10);
    EXPECT_STREQ(buffer, "abcdefghij");
    Property* v = New(velora::kDataVector);
    ASSERT_TRUE(v->Parse("1 2 3"));
    EXPECT_EQ(v->Format(buffer, 3), 5);
    EXPECT_STREQ(buffer, "1 ");
}

TEST_F(PropertyValue, ReadOnlyRefusesWritesButNotTheValuePointer) {
    Property* d = New(velora::kDataNumber);
    ASSERT_TRUE(d->Parse("1"));
    d->ModifyFlag(velora::kPropertyReadOnly, true);
    EXPECT_TRUE(d->IsReadOnly());
    EXPECT_FALSE(d->Parse("2"));
    const double two = 2;
    EXPECT_FALSE(d->SetRaw(&two));
    EXPECT_FALSE(d->SetInt(2));
    EXPECT_EQ(Text(d), "1");
    *static_cast<double*>(d->ValuePtr()) = 3;  // direct access bypasses the checks
    EXPECT_EQ(Text(d), "3");
    d->ModifyFlag(velora::kPropertyReadOnly, false);
    EXPECT_TRUE(d->Parse("2"));
}

TEST_F(PropertyValue, ClampsHoldWritesToTheRange) {
    Property* d = New(velora::kDataNumber);
    d->Definition().SetMin(-1, true);
    d->Definition().SetMax(10, true);
    EXPECT_EQ(d->Definition().Min(), -1);
    EXPECT_EQ(d->Definition().Max(), 10);
    ASSERT_TRUE(d->Parse("50"));
    EXPECT_EQ(Text(d), "10");
    ASSERT_TRUE(d->Parse("-50"));
    EXPECT_EQ(Text(d), "-1");
    d->Definition().SetMax(10, false);
    ASSERT_TRUE(d->Parse("50"));
    EXPECT_EQ(Text(d), "50");
    EXPECT_FALSE(d->Definition().IsMaxClamp());
    EXPECT_TRUE(d->Definition().IsMinClamp());

    Property* i = New(velora::kDataInteger);
    i->Definition().SetMin(0.5, true);   // whole values only: 1
    i->Definition().SetMax(2.5, true);   // 2
    ASSERT_TRUE(i->SetInt(-7));
    EXPECT_EQ(i->AsInt(), 1);
    ASSERT_TRUE(i->SetInt(7));
    EXPECT_EQ(i->AsInt(), 2);
    Property* big = New(velora::kDataInt64);
    big->Definition().SetMax(1e300, true);  // beyond the type: no effect
    ASSERT_TRUE(big->Parse("9223372036854775807"));
    EXPECT_EQ(Text(big), "9223372036854775807");
    Property* f = New(velora::kDataFloat);
    f->Definition().SetMax(1e300, true);
    f->Definition().SetMin(-1e300, true);
    ASSERT_TRUE(f->Parse("3.40282347e38"));
    EXPECT_EQ(Text(f), "3.4028235e+38");
    Property* c = New(velora::kDataColor);
    c->Definition().SetMin(0, true);
    c->Definition().SetMax(1, true);
    ASSERT_TRUE(c->Parse("-1 0.5 2"));
    EXPECT_EQ(Text(c), "0 0.5 1");
}

TEST_F(PropertyValue, FlagsAndLocks) {
    Property* v = New(velora::kDataVector, velora::kCreateAnimatable);
    EXPECT_EQ(v->Flags(), 0u);
    v->ModifyFlag(velora::kPropertyDisabled, true);
    EXPECT_TRUE(v->HasFlag(0x4));
    v->ModifyFlag(velora::kPropertyDisabled, false);
    EXPECT_FALSE(v->HasFlag(0x4));
    ASSERT_TRUE(v->Parse("1 2 3"));
    EXPECT_TRUE(v->SetMemberLocked(1, true));
    EXPECT_EQ(v->Flags(), 0x2000u);
    EXPECT_TRUE(v->IsMemberLocked(1));
    EXPECT_FALSE(v->IsMemberLocked(0));
    EXPECT_FALSE(v->SetMemberLocked(3, true));  // three members only
    EXPECT_FALSE(v->SetMemberLocked(-1, true));
    EXPECT_FALSE(v->IsMemberLocked(3));
    EXPECT_EQ(v->Flags(), 0x2000u);
    // A locked member keeps its value.
    ASSERT_TRUE(v->Parse("7 8 9"));
    EXPECT_EQ(Text(v), "7 2 9");
    EXPECT_TRUE(v->SetLocked(true));
    EXPECT_EQ(v->Flags() & velora::kPropertyLockAll, 0xF000u);
    EXPECT_FALSE(v->Parse("0 0 0"));  // everything locked: nothing to write
    EXPECT_EQ(Text(v), "7 2 9");
    EXPECT_TRUE(v->SetLocked(false));
    EXPECT_EQ(v->Flags(), 0u);

    Property* plain = New(velora::kDataNumber);
    EXPECT_FALSE(plain->Definition().AllowsLocking());
    EXPECT_FALSE(plain->SetMemberLocked(0, true));
    EXPECT_FALSE(plain->SetLocked(true));
    EXPECT_EQ(plain->Flags(), 0u);
    plain->Definition().SetAttribute(velora::kAttrAllowsLocking, true);
    EXPECT_TRUE(plain->SetMemberLocked(0, true));
    EXPECT_FALSE(plain->Parse("5"));  // a scalar with its member locked
    EXPECT_TRUE(plain->SetMemberLocked(0, false));
    EXPECT_TRUE(plain->Parse("5"));
}

TEST_F(PropertyValue, IntegerViewAndRawAccess) {
    Property* d = New(velora::kDataNumber);
    ASSERT_TRUE(d->Parse("-2.9"));
    EXPECT_EQ(d->AsInt(), -2);  // toward zero
    ASSERT_TRUE(d->Parse("1e20"));
    EXPECT_EQ(d->AsInt(), INT_MAX);
    ASSERT_TRUE(d->Parse("nan"));
    EXPECT_EQ(d->AsInt(), 0);
    ASSERT_TRUE(d->SetInt(-4));
    EXPECT_EQ(Text(d), "-4");
    Property* f = New(velora::kDataFloat);
    ASSERT_TRUE(f->SetInt(3));
    EXPECT_EQ(Text(f), "3");
    Property* l = New(velora::kDataInt64);
    ASSERT_TRUE(l->Parse("-9000000000"));
    EXPECT_EQ(l->AsInt(), INT_MIN);
    Property* u = New(velora::kDataUInt64);
    EXPECT_FALSE(u->SetInt(-1));
    EXPECT_TRUE(u->SetInt(12));
    EXPECT_EQ(Text(u), "12");
    int out = 99;
    EXPECT_FALSE(New(velora::kDataString)->GetInt(&out));
    EXPECT_FALSE(New(velora::kDataVector)->GetInt(&out));
    EXPECT_FALSE(New(velora::kDataVector)->SetInt(1));
    EXPECT_EQ(out, 99);
    EXPECT_FALSE(d->GetInt(nullptr));
    // Raw access needs a buffer.
    EXPECT_FALSE(d->GetRaw(nullptr));
    EXPECT_FALSE(d->SetRaw(nullptr));
    EXPECT_FALSE(d->Parse(nullptr));
    EXPECT_EQ(d->ValuePtr(), static_cast<const Property*>(d)->ValuePtr());
    EXPECT_NE(d->ValuePtr(), nullptr);
}

// Handlers of an externally handled property see the object they were
// registered with; the produce handler runs before reads, take after writes.
struct HandlerLog {
    static int produced;
    static int taken;
    static lyiface::IObject* last;
    static Property* target;
    static void Produce(lyiface::IObject* o) {
        ++produced;
        last = o;
        if (target) *static_cast<double*>(target->ValuePtr()) = 42.0;
    }
    static void Take(lyiface::IObject* o) {
        ++taken;
        last = o;
    }
};
int HandlerLog::produced = 0;
int HandlerLog::taken = 0;
lyiface::IObject* HandlerLog::last = nullptr;
Property* HandlerLog::target = nullptr;

TEST_F(PropertyValue, ExternallyHandledValuesGoThroughTheHandlers) {
    Property* d = New(velora::kDataNumber);
    HandlerLog::produced = HandlerLog::taken = 0;
    HandlerLog::target = d;
    d->Definition().SetExternalHandlers(object_, &HandlerLog::Produce, &HandlerLog::Take);
    EXPECT_TRUE(d->Definition().IsExternallyHandled());
    EXPECT_EQ(d->Definition().HandlerObject(), object_);
    EXPECT_EQ(d->Definition().ProduceHandler(), &HandlerLog::Produce);
    EXPECT_EQ(d->Definition().TakeHandler(), &HandlerLog::Take);
    double v = 0;
    ASSERT_TRUE(d->GetRaw(&v));
    EXPECT_EQ(v, 42.0);
    EXPECT_EQ(HandlerLog::produced, 1);
    EXPECT_EQ(HandlerLog::last, object_);
    ASSERT_TRUE(d->Parse("5"));
    EXPECT_EQ(HandlerLog::taken, 1);
    EXPECT_EQ(Text(d), "42");  // produced again before formatting
    d->Definition().ClearExternalHandlers();
    EXPECT_FALSE(d->Definition().IsExternallyHandled());
    ASSERT_TRUE(d->Parse("5"));
    EXPECT_EQ(Text(d), "5");
    EXPECT_EQ(HandlerLog::taken, 1);
    HandlerLog::target = nullptr;
}

TEST_F(PropertyValue, AttributesCanBeChanged) {
    Property* p = New(velora::kDataNumber, velora::kCreateTemporary);
    EXPECT_TRUE(p->Definition().IsTemporary());
    p->Definition().SetAttribute(velora::kAttrTemporary, false);
    EXPECT_FALSE(p->Definition().IsTemporary());
    EXPECT_FALSE(object_->RemoveProperty(p));  // no longer removable
    p->Definition().SetAttribute(velora::kAttrTextureConnectable | velora::kAttrTextureShown, true);
    EXPECT_TRUE(p->Definition().IsTextureConnectable());
    EXPECT_TRUE(p->Definition().HasAttribute(velora::kAttrTextureShown));
}

}  // namespace
