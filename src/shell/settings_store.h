// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The per-user settings store: an INI file of sections and typed keys. Every
// read and every write opens the file afresh and closes it at once, so nothing
// is held open and each written key is on disk when the call returns.
//
// A damaged file never stops the program: a key that is missing, of the wrong
// type or out of its range reads as its default (the language keeps its clamp:
// a value above 1 reads as 1).

#include <QChar>
#include <QString>

class QSettings;
#include <climits>
#include <functional>
#include <optional>

/// An integer key. A stored value above `max` reads as `max` when
/// `clampHigh` is set, otherwise as the default; a value below `min` reads
/// as the default.
struct IntKey {
    QString section;
    QString key;
    int def;
    int min;
    int max;
    bool clampHigh = false;
};
struct BoolKey {
    QString section;
    QString key;
    bool def;
};
/// A floating-point key; values outside [min, max] or not finite read as the default.
struct RealKey {
    QString section;
    QString key;
    double def;
    double min;
    double max;
};
struct StringKey {
    QString section;
    QString key;
    QString def;
};

/// Every key of the store with its type, default and accepted range.
namespace SettingsKeys {
// Main window and monitoring window positions, view (0 normal, other engineering).
inline const IntKey Form1_Top{"WindowsPosition", "Form1_Top", 0, -32768, 32767};
inline const IntKey Form1_Left{"WindowsPosition", "Form1_Left", 0, -32768, 32767};
inline const IntKey View{"WindowsPosition", "View", 0, INT_MIN, INT_MAX};
inline const IntKey Form5_Top{"WindowsPosition", "Form5_Top", 0, -32768, 32767};
inline const IntKey Form5_Left{"WindowsPosition", "Form5_Left", 0, -32768, 32767};
// Port line options.
inline const BoolKey RTS{"Terminal_Option", "RTS", false};
inline const BoolKey DTR{"Terminal_Option", "DTR", false};
// Interface language: 1 Russian, 0 English; above 1 reads as 1.
inline const IntKey vallatguage{"LengRef", "vallatguage", 0, 0, 1, true};
// Ring positions of the installer-name and vehicle-model lists (0 … 9).
inline const IntKey NameIndex{"UserOption", "NameIndex", 0, 0, 9};
inline const IntKey NameMashineIndex{"UserOption", "NameMashineIndex", 0, 0, 9};
/// "Name1" … "Name10" (n = 1 … 10).
StringKey Name(int n);
/// "NameMashine1" … "NameMashine10" (n = 1 … 10).
StringKey NameMashine(int n);
// Settings window: autosave mode (0 allowed, 1 forbidden), constant, modem-line
// check, monitoring-export prefix, suffix and option.
inline const IntKey Save{"AvtoSave", "Save", 1, 0, 1};
inline const IntKey ConstSave{"AvtoSave", "ConstSave", 5, 1, 10};
inline const BoolKey RefCTS{"AvtoSave", "RefCTS", false};
// Design texts of the monitoring-export prefix and suffix.
inline const QString DefaultPrefix =
    QStringLiteral("{\"sensors\":[{\"c\":\"{\\\"appear_in_popup\\\":true}\",\"d\":\"|");
inline const QString DefaultSufix = QStringLiteral(
    "\",\"f\":0,\"id\":1,\"m\":\"litres\",\"n\":\"DutPermix\",\"p\":\"adc9\",\"t\":\"fuel "
    "level\",\"tbl\":[],\"vs\":0,\"vt\":1}],\"type\":\"avl_unit\",\"version\":\"b4\"}");
inline const StringKey PrefixStr{"AvtoSave", "PrefixStr", DefaultPrefix};
inline const StringKey SufixStr{"AvtoSave", "SufixStr", DefaultSufix};
inline const BoolKey TARNETcb{"AvtoSave", "TARNETcb", false};
// Probe constants of the probe-length calculation (pF, pF, pF/mm).
inline const RealKey CFK11{"Property_bore", "CFK11", 1.725, 0.0, 1e6};
inline const RealKey CFR21{"Property_bore", "CFR21", 1.0, 0.0, 1e6};
inline const RealKey CLR1{"Property_bore", "CLR1", 0.01633, 0.0, 1e6};
// Recent protocol files: slots 0 … 8, the slot the next new protocol takes,
// and the path of the protocol created last.
/// "PName0" … "PName8" (n = 0 … 8).
StringKey PName(int n);
inline const IntKey IndexPName{"Protocol_Name", "IndexPName", 0, 0, 8};
inline const StringKey SPName{"Protocol_Name", "SPName", QString()};
// The decimal separator the start-up check chose ("," once the user pressed
// OK); a one-character text. Absent: the numeric locale's separator is used.
inline const StringKey DecimalSeparator{"Regional", "DecimalSeparator", QString()};
} // namespace SettingsKeys

/// Outcome of a write; `error` says why it failed.
struct StoreResult {
    bool ok = true;
    QString error;
    explicit operator bool() const { return ok; }
};

class SettingsStore {
public:
    /// `path`: the INI file; its folder is created on the first write.
    explicit SettingsStore(QString path = defaultPath());

    /// $XDG_CONFIG_HOME (else ~/.config) + "/kv-ruzevuv/Kv_Instal_ini.ini".
    static QString defaultPath();
    const QString &path() const { return m_path; }

    int get(const IntKey &k) const;
    bool get(const BoolKey &k) const;
    double get(const RealKey &k) const;
    QString get(const StringKey &k) const;

    StoreResult set(const IntKey &k, int value);
    StoreResult set(const BoolKey &k, bool value);
    StoreResult set(const RealKey &k, double value);
    StoreResult set(const StringKey &k, const QString &value);

    /// Whether the key is present in the file (whatever its value).
    bool contains(const QString &section, const QString &key) const;
    /// Deletes the key if present.
    StoreResult remove(const QString &section, const QString &key);

    /// Deletes the probe-constant keys of the earlier layout ("CL", "CF1",
    /// "CF2", "CFR1", "CFK1", "CFR2", "CLR" of "Property_bore") where present.
    StoreResult removeLegacyProbeKeys();

    /// Why the file is not read (a pipe, a folder, a device, larger than 1 MB;
    /// every key then reads as its default), in the language `lang` (1 Russian,
    /// 0 English); empty when the file is read or does not exist yet.
    QString problem(int lang) const;

    /// The stored decimal-separator override, if one is stored and valid.
    std::optional<QChar> decimalSeparatorOverride() const;
    StoreResult setDecimalSeparatorOverride(QChar separator);
    /// The separator in force: the override, else NumberFormat::systemSeparator().
    QChar effectiveDecimalSeparator() const;

private:
    /// Opens the file for a change, applies it and writes it back.
    StoreResult write(const QString &what, const std::function<void(QSettings &)> &change);

    QString m_path;
};
