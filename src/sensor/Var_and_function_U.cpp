// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sensor/Var_and_function_U.h"

namespace {

struct ModelEntry {
    int code;
    const char *name;
};

constexpr ModelEntry ModelTable[] = {
    {1, "QMA-10"},   {2, "QMB-10"},   {17, "QMA-21"},  {18, "QMB-21"},  {33, "QMA-22"},
    {34, "QMB-22"},  {49, "QMA-23"},  {50, "QMB-23"},  {65, "QMA-31"},  {66, "QMB-31"},
    {81, "QMA-32"},  {82, "QMB-32"},  {97, "QMA-33"},  {98, "QMB-33"},  {113, "QMA-41"},
    {114, "QMB-41"}, {129, "QMA-42"}, {130, "QMB-42"}, {145, "QMA-43"}, {146, "QMB-43"},
    {176, "VG1"},    {177, "VG2"},    {178, "VG3"},    {179, "VG4"},    {180, "VG1W"},
    {181, "VG2W"},   {182, "VG3W"},   {183, "VG4W"},
};

void take(std::optional<bool> &mine, const std::optional<bool> &later)
{
    if (later)
        mine = later;
}

} // namespace

QString ModelName(int code)
{
    for (const ModelEntry &m : ModelTable)
        if (m.code == code)
            return QString::fromLatin1(m.name);
    return QStringLiteral("Error");
}

bool isFullFeatureModel(int code)
{
    return code == 1 || code == 2;
}

bool isDualAddressModel(int code)
{
    return code >= 176 && code <= 183;
}

bool hasPortAssignment(int code)
{
    return code == 178 || code == 182;
}

std::optional<QString> probeRangeText(int code)
{
    static const char *const texts[] = {"L", "H", "260", "350", "440", "530", "620", "710"};
    if (code < 0 || code > 7)
        return std::nullopt;
    return QString::fromLatin1(texts[code]);
}

int probeClassIndex(int code)
{
    return (code >= 0 && code <= 7) ? 7 - code : -1;
}

void WindowControls::overrideWith(const WindowControls &later)
{
    take(outputSettingsEnabled, later.outputSettingsEnabled);
    take(averagingEnabled, later.averagingEnabled);
    take(averagingTimeEnabled, later.averagingTimeEnabled);
    take(freqOutputEnabled, later.freqOutputEnabled);
    take(freqDisplayVisible, later.freqDisplayVisible);
    take(portAssignmentEnabled, later.portAssignmentEnabled);
    take(networkModeEnabled, later.networkModeEnabled);
    networkModeUntick = networkModeUntick || later.networkModeUntick;
    take(inclAddressEnabled, later.inclAddressEnabled);
    take(twoAddressNoteVisible, later.twoAddressNoteVisible);
}

WindowControls ConfigurationForVersion(int H, int L)
{
    WindowControls c;
    if (H == 1 || H == 4) {
        if (L < 7)
            c.outputSettingsEnabled = false;
        c.freqOutputEnabled = false;
        c.freqDisplayVisible = false;
        c.portAssignmentEnabled = false;
        c.averagingEnabled = L > 9;
        c.averagingTimeEnabled = false;
    } else if (H == 5) {
        c.portAssignmentEnabled = false;
        if (L < 3) {
            c.networkModeEnabled = false;
            c.networkModeUntick = true;
        } else {
            c.networkModeEnabled = true;
        }
        c.averagingEnabled = true;
        c.averagingTimeEnabled = true;
        c.freqOutputEnabled = true;
        c.freqDisplayVisible = true;
    } else {
        if (L > 9 || H > 4) {
            c.averagingEnabled = true;
            c.averagingTimeEnabled = H >= 5;
            c.freqDisplayVisible = H >= 5;
            c.portAssignmentEnabled = H > 5;
            if (H == 8) {
                c.inclAddressEnabled = L >= 3;
                c.twoAddressNoteVisible = L < 3;
            } else {
                c.twoAddressNoteVisible = false;
            }
        } else {
            c.averagingEnabled = false;
            c.averagingTimeEnabled = false;
            c.freqDisplayVisible = false;
            c.portAssignmentEnabled = false;
        }
        c.outputSettingsEnabled = true;
        c.freqOutputEnabled = true;
    }
    return c;
}
