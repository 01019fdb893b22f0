// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The settings store reader fed arbitrary bytes as its INI file: every key of
// the store is read with its type and range, which must hold whatever the
// file says; then one write goes through the damaged-file path.

#include "fuzz_files.h"
#include "shell/settings_store.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {
void check(bool ok)
{
    if (!ok)
        std::abort();
}

void checkInt(const SettingsStore &s, const IntKey &k)
{
    const int v = s.get(k);
    check(v == k.def || (v >= k.min && v <= k.max));
}

void checkReal(const SettingsStore &s, const RealKey &k)
{
    const double v = s.get(k);
    check(v == k.def || (std::isfinite(v) && v >= k.min && v <= k.max));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = fuzzScratchPath("Kv_Instal_ini.ini");
    fuzzWriteFile(path, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    SettingsStore s(path);
    using namespace SettingsKeys;
    for (const IntKey *k : {&Form1_Top, &Form1_Left, &View, &Form5_Top, &Form5_Left, &vallatguage,
                            &NameIndex, &NameMashineIndex, &Save, &ConstSave, &IndexPName})
        checkInt(s, *k);
    for (const BoolKey *k : {&RTS, &DTR, &RefCTS, &TARNETcb})
        (void)s.get(*k);
    for (const RealKey *k : {&CFK11, &CFR21, &CLR1})
        checkReal(s, *k);
    for (int n = 1; n <= 10; ++n) {
        (void)s.get(Name(n));
        (void)s.get(NameMashine(n));
    }
    for (int n = 0; n <= 8; ++n)
        (void)s.get(PName(n));
    (void)s.get(PrefixStr);
    (void)s.get(SufixStr);
    (void)s.get(SPName);
    if (const auto sep = s.decimalSeparatorOverride())
        check(!sep->isNull());
    (void)s.effectiveDecimalSeparator();
    if (size > 0 && (data[0] & 1)) {
        (void)s.set(ConstSave, 7);
        check(s.get(ConstSave) == 7);
    }
    return 0;
}
