// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/growth.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "calc/number_text.h"

namespace calc {
namespace {

// A row as WHO publishes it; loh is the 2006 standard's: L for length, H
// for height.
struct Published {
    int sex, age;
    double l, m, s;
    char loh = 0;
};

// The tables as published, written into this file by the build. Only the
// rows packed below reach the program: these are read while compiling.
constexpr Published kReference2007Table[] = {
#include "calc/who/bfawho2007.inc"
};
constexpr Published kStandard2006Table[] = {
#include "calc/who/bmianthro.inc"
};

// WHO's codes for the sexes in its tables.
constexpr int Code(Sex sex) { return sex == Sex::Boy ? 1 : 2; }

// The 2006 standard's day of an age in whole months: months × 30.4375,
// halves up.
constexpr int DayOf(int months) { return (months * 304375 + 5000) / 10000; }

// A carried row: L, M and S in whole units of the tables' last decimals.
// An integer over a power of ten is rounded as the decimal literal is, so
// the numbers come back as the very doubles of the table.
struct Carried {
    std::int32_t l, m, s;
    friend constexpr bool operator==(const Carried&, const Carried&) = default;
};
constexpr double kLmUnits = 1e4, kSUnits = 1e6;

consteval std::int32_t InUnits(double value, double units) {
    const double scaled = value * units;
    const auto whole = std::int32_t(scaled < 0 ? scaled - 0.5 : scaled + 0.5);
    if (double(whole) / units != value) throw std::logic_error("a table has more decimals");
    return whole;
}

// The rows of months first..last for both sexes, boys first, each found by
// its age (in days where byDay) among the sex's rows, which the tables hold
// in order from age 0 without a gap; a table that does not fails the build.
template <std::size_t Rows, std::size_t N>
consteval std::array<Carried, 2 * N> Carry(const Published (&table)[Rows], int first, bool byDay) {
    std::array<Carried, 2 * N> carried{};
    for (int code = 1; code <= 2; ++code) {
        std::size_t start = 0;
        while (start < Rows && table[start].sex != code) ++start;
        for (std::size_t i = 0; i < N; ++i) {
            const int month = first + int(i);
            const int age = byDay ? DayOf(month) : month;
            const std::size_t at = start + std::size_t(age - table[start].age);
            if (at >= Rows || table[at].sex != code || table[at].age != age ||
                (byDay && table[at].loh != 'H'))
                throw std::logic_error("a table is not in order");
            const Published& row = table[at];
            carried[std::size_t(code - 1) * N + i] = {
                InUnits(row.l, kLmUnits), InUnits(row.m, kLmUnits), InUnits(row.s, kSUnits)};
        }
    }
    return carried;
}

// The carried rows as the page is sent them: WHO's values change smoothly
// from month to month, so each of L, M and S of each sex is kept as its
// first value and first step, then each step's change in a byte, a quarter
// of the bytes of whole numbers and far fewer once compressed. A table that
// bends more sharply than a byte holds fails the build.
constexpr std::size_t kRuns = 6;  // L, M and S of boys, then of girls
constexpr std::int32_t& Column(Carried& row, std::size_t run) {
    return run % 3 == 0 ? row.l : run % 3 == 1 ? row.m : row.s;
}
template <std::size_t N>
struct Packed {
    std::array<std::int32_t, 2 * kRuns> starts{};  // each run's first value and step
    std::array<std::int8_t, kRuns*(N - 2)> bends{};
};

template <std::size_t N>
consteval Packed<N> Pack(std::array<Carried, 2 * N> rows) {
    Packed<N> packed;
    for (std::size_t run = 0; run < kRuns; ++run) {
        const auto value = [&](std::size_t i) { return Column(rows[run / 3 * N + i], run); };
        packed.starts[2 * run] = value(0);
        packed.starts[2 * run + 1] = value(1) - value(0);
        for (std::size_t i = 2; i < N; ++i) {
            const std::int32_t bend = value(i) - 2 * value(i - 1) + value(i - 2);
            if (bend < -128 || bend > 127) throw std::logic_error("a table bends too sharply");
            packed.bends[run * (N - 2) + i - 2] = std::int8_t(bend);
        }
    }
    return packed;
}

template <std::size_t N>
constexpr std::array<Carried, 2 * N> Unpack(const Packed<N>& packed) {
    std::array<Carried, 2 * N> rows{};
    for (std::size_t run = 0; run < kRuns; ++run) {
        std::int32_t value = packed.starts[2 * run], step = packed.starts[2 * run + 1];
        for (std::size_t i = 0; i < N; ++i) {
            if (i >= 2) step += packed.bends[run * (N - 2) + i - 2];
            if (i >= 1) value += step;
            Column(rows[run / 3 * N + i], run) = value;
        }
    }
    return rows;
}

constexpr std::size_t kStandardMonths = kFirstReferenceMonth - kFirstChildMonth;
constexpr std::size_t kReferenceMonths = kLastChildMonth - kFirstReferenceMonth + 1;
constexpr auto kStandard2006Packed =
    Pack<kStandardMonths>(Carry<std::size(kStandard2006Table), kStandardMonths>(
        kStandard2006Table, kFirstChildMonth, true));
constexpr auto kReference2007Packed =
    Pack<kReferenceMonths>(Carry<std::size(kReference2007Table), kReferenceMonths>(
        kReference2007Table, kFirstReferenceMonth, false));
// Unpacked, they are the rows carried.
static_assert(Unpack(kStandard2006Packed) ==
              Carry<std::size(kStandard2006Table), kStandardMonths>(kStandard2006Table,
                                                                    kFirstChildMonth, true));
static_assert(Unpack(kReference2007Packed) ==
              Carry<std::size(kReference2007Table), kReferenceMonths>(kReference2007Table,
                                                                      kFirstReferenceMonth, false));

// Each table unpacked when first asked for, into memory the page does not
// carry.
template <std::size_t N>
const Carried& RowOf(const Packed<N>& packed, std::size_t at) {
    static std::array<Carried, 2 * N> rows{};
    static bool unpacked = false;
    if (!unpacked) rows = Unpack(packed);
    unpacked = true;
    return rows[at];
}
const Carried& StandardRow(std::size_t at) { return RowOf(kStandard2006Packed, at); }
const Carried& ReferenceRow(std::size_t at) { return RowOf(kReference2007Packed, at); }

Lms Row(const Carried& c) { return {c.l / kLmUnits, c.m / kLmUnits, c.s / kSUnits}; }

// The index at `sd` standard deviations, within ±3.
double Deviation(const Lms& p, double sd) { return p.m * std::pow(1 + p.l * p.s * sd, 1 / p.l); }

}  // namespace

std::optional<GrowthTable> TableFor(double ageMonths) {
    if (!(ageMonths >= kFirstChildMonth && ageMonths <= kLastChildMonth)) return std::nullopt;
    return ageMonths < kFirstReferenceMonth ? GrowthTable::Standard2006
                                            : GrowthTable::Reference2007;
}

std::optional<Lms> BmiForAge(Sex sex, double ageMonths) {
    const auto table = TableFor(ageMonths);
    if (!table) return std::nullopt;
    const std::size_t boysOrGirls = std::size_t(Code(sex) - 1);
    const double whole = std::floor(ageMonths);
    if (*table == GrowthTable::Standard2006) {
        if (whole != ageMonths) return std::nullopt;
        return Row(
            StandardRow(boysOrGirls * kStandardMonths + std::size_t(whole - kFirstChildMonth)));
    }
    const std::size_t at =
        boysOrGirls * kReferenceMonths + std::size_t(whole - kFirstReferenceMonth);
    const Lms below = Row(ReferenceRow(at));
    const double part = ageMonths - whole;
    if (part == 0) return below;
    const Lms above = Row(ReferenceRow(at + 1));
    const auto between = [part](double a, double b) { return a + part * (b - a); };
    return Lms{between(below.l, above.l), between(below.m, above.m), between(below.s, above.s)};
}

double ZScore(const Lms& p, double index) {
    if (index > 0) {
        const double z = (std::pow(index / p.m, p.l) - 1) / (p.l * p.s);
        if (z >= -3 && z <= 3) return z;
        if (z > 3) {
            const double sd3 = Deviation(p, 3);
            return 3 + (index - sd3) / (sd3 - Deviation(p, 2));
        }
    }
    const double sd3 = Deviation(p, -3);
    return -3 + (index - sd3) / (Deviation(p, -2) - sd3);
}

double IndexAtZ(const Lms& p, double z) {
    if (z > 3) return Deviation(p, 3) + (z - 3) * (Deviation(p, 3) - Deviation(p, 2));
    if (z < -3) return Deviation(p, -3) + (z + 3) * (Deviation(p, -2) - Deviation(p, -3));
    return Deviation(p, z);
}

double Percentile(double z) { return 50 * std::erfc(-z / std::sqrt(2.0)); }

std::span<const WeightClass> ChildClasses(GrowthTable table) {
    if (table == GrowthTable::Standard2006) return kStandard2006Classes;
    return kReference2007Classes;
}

std::optional<WeightRange> ChildNormalWeights(const Lms& lms, double heightCm) {
    const double metres = heightCm / 100;
    const double squared = Finite(metres * metres);
    // The normal class is the same in both tables.
    const auto& classes = kReference2007Classes;
    static_assert(classes[kNormalClass - 1].below == kStandard2006Classes[kNormalClass - 1].below &&
                  classes[kNormalClass].below == kStandard2006Classes[kNormalClass].below &&
                  classes[kNormalClass].inclusive == kStandard2006Classes[kNormalClass].inclusive);
    const auto weights =
        WeightsWhere(IndexAtZ(lms, classes[kNormalClass - 1].below) * squared,
                     IndexAtZ(lms, classes[kNormalClass].below) * squared, [&](double weight) {
                         const double z = RoundToHundredths(ZScore(lms, IndexOf(weight, metres)));
                         return ClassOf(z, classes) == kNormalClass;
                     });
    if (!weights) return std::nullopt;
    return WeightRange{heightCm, weights->low, weights->high};
}

}  // namespace calc
