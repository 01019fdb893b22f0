// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/settings_store.h"

#include "common/numfmt.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <cmath>
#include <memory>
#include <sys/stat.h>

namespace SettingsKeys {
StringKey Name(int n)
{
    return {"UserOption", QStringLiteral("Name%1").arg(n), QString()};
}
StringKey NameMashine(int n)
{
    return {"UserOption", QStringLiteral("NameMashine%1").arg(n), QString()};
}
StringKey PName(int n)
{
    return {"Protocol_Name", QStringLiteral("PName%1").arg(n), QString()};
}
} // namespace SettingsKeys

namespace {

// A settings file holds a few kilobytes. A larger one, or a name that is not a
// plain file (a pipe would hold the read until someone writes into it, a
// folder cannot be read), is not read at all: every key reads as its default.
constexpr qint64 kMaxStoreSize = 1024 * 1024;

enum class StoreShape { Usable, Missing, NotRegular, TooLarge };

StoreShape shapeOf(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return StoreShape::Missing;
    if (!S_ISREG(st.st_mode))
        return StoreShape::NotRegular;
    return qint64(st.st_size) > kMaxStoreSize ? StoreShape::TooLarge : StoreShape::Usable;
}

bool readable(const QString &path)
{
    const StoreShape shape = shapeOf(path);
    return shape == StoreShape::Usable || shape == StoreShape::Missing;
}

/// The stored value of "section/key"; invalid when absent or the file is not read.
QVariant storedValue(const QString &path, const QString &name)
{
    if (!readable(path))
        return {};
    QSettings s(path, QSettings::IniFormat);
    return s.value(name);
}

QString fullName(const QString &section, const QString &key)
{
    return section + '/' + key;
}

// The text of a stored scalar; nullopt for lists, byte arrays and other shapes
// a damaged or hand-edited file may give.
std::optional<QString> scalarText(const QVariant &v)
{
    if (!v.isValid())
        return std::nullopt;
    switch (v.typeId()) {
    case QMetaType::QString:
        return v.toString().trimmed();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
    case QMetaType::Double:
        return v.toString();
    default:
        return std::nullopt;
    }
}

StoreResult finish(QSettings &s, const QString &what)
{
    s.sync();
    switch (s.status()) {
    case QSettings::NoError:
        return {};
    case QSettings::AccessError:
        return {false,
                QStringLiteral("cannot write the settings file %1 (%2)").arg(s.fileName(), what)};
    case QSettings::FormatError:
        return {false,
                QStringLiteral("the settings file %1 is damaged (%2)").arg(s.fileName(), what)};
    }
    return {};
}

// Opens the store for a change. A file that cannot be parsed would refuse every
// write, so nothing would ever be saved again: it is moved aside (to
// "<name>.damaged") and a fresh file is started with the keys that could still
// be read from it.
std::unique_ptr<QSettings> openForWrite(const QString &path)
{
    // A pipe, a folder or a device is left alone; the caller reports it.
    if (shapeOf(path) == StoreShape::NotRegular)
        return nullptr;
    // An oversized file is set aside like a damaged one; nothing of it is read.
    if (shapeOf(path) == StoreShape::TooLarge) {
        const QString aside = path + QStringLiteral(".damaged");
        QFile::remove(aside);
        if (!QFile::rename(path, aside))
            QFile::remove(path);
    }
    auto s = std::make_unique<QSettings>(path, QSettings::IniFormat);
    const QStringList keys = s->allKeys(); // the status is known only after a read
    if (s->status() != QSettings::FormatError)
        return s;
    QList<QPair<QString, QVariant>> readable;
    for (const QString &k : keys)
        if (!k.isEmpty())
            readable.append({k, s->value(k)});
    s.reset();
    const QString aside = path + QStringLiteral(".damaged");
    QFile::remove(aside);
    if (!QFile::rename(path, aside))
        QFile::remove(path);
    s = std::make_unique<QSettings>(path, QSettings::IniFormat);
    for (const auto &[k, v] : readable)
        s->setValue(k, v);
    return s;
}

} // namespace

SettingsStore::SettingsStore(QString path) : m_path(std::move(path)) {}

QString SettingsStore::defaultPath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/kv-ruzevuv/Kv_Instal_ini.ini");
}

int SettingsStore::get(const IntKey &k) const
{
    const auto text = scalarText(storedValue(m_path, fullName(k.section, k.key)));
    if (!text)
        return k.def;
    bool ok = false;
    const qlonglong v = text->toLongLong(&ok, 10);
    if (!ok || v < k.min)
        return k.def;
    if (v > k.max)
        return k.clampHigh ? k.max : k.def;
    return int(v);
}

bool SettingsStore::get(const BoolKey &k) const
{
    const auto text = scalarText(storedValue(m_path, fullName(k.section, k.key)));
    if (!text)
        return k.def;
    if (text->compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text->compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    // Stored as an integer: any non-zero value is true.
    bool ok = false;
    const qlonglong v = text->toLongLong(&ok, 10);
    return ok ? v != 0 : k.def;
}

double SettingsStore::get(const RealKey &k) const
{
    const auto text = scalarText(storedValue(m_path, fullName(k.section, k.key)));
    if (!text)
        return k.def;
    QString t = *text;
    // Written with a full stop; a hand edit with the decimal comma is accepted too.
    if (!t.contains('.'))
        t.replace(',', '.');
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < k.min || v > k.max)
        return k.def;
    return v;
}

QString SettingsStore::get(const StringKey &k) const
{
    const QVariant v = storedValue(m_path, fullName(k.section, k.key));
    if (!v.isValid() || v.typeId() != QMetaType::QString)
        return k.def;
    return v.toString();
}

StoreResult SettingsStore::set(const IntKey &k, int value)
{
    return write(k.key, [&](QSettings &s) { s.setValue(fullName(k.section, k.key), value); });
}

StoreResult SettingsStore::set(const BoolKey &k, bool value)
{
    // A Boolean is kept as the integer 0 or 1.
    return write(k.key,
                 [&](QSettings &s) { s.setValue(fullName(k.section, k.key), value ? 1 : 0); });
}

StoreResult SettingsStore::set(const RealKey &k, double value)
{
    return write(k.key, [&](QSettings &s) {
        s.setValue(fullName(k.section, k.key),
                   QString::number(value, 'g', QLocale::FloatingPointShortest));
    });
}

StoreResult SettingsStore::set(const StringKey &k, const QString &value)
{
    return write(k.key, [&](QSettings &s) { s.setValue(fullName(k.section, k.key), value); });
}

bool SettingsStore::contains(const QString &section, const QString &key) const
{
    return storedValue(m_path, fullName(section, key)).isValid();
}

StoreResult SettingsStore::remove(const QString &section, const QString &key)
{
    if (!contains(section, key))
        return {};
    return write(key, [&](QSettings &s) { s.remove(fullName(section, key)); });
}

StoreResult SettingsStore::removeLegacyProbeKeys()
{
    static const char *const legacy[] = {"CL", "CF1", "CF2", "CFR1", "CFK1", "CFR2", "CLR"};
    bool present = false;
    for (const char *key : legacy)
        present = present || contains(QStringLiteral("Property_bore"), QLatin1String(key));
    if (!present)
        return {};
    return write(QStringLiteral("Property_bore"), [&](QSettings &s) {
        for (const char *key : legacy)
            s.remove(fullName(QStringLiteral("Property_bore"), QLatin1String(key)));
    });
}

std::optional<QChar> SettingsStore::decimalSeparatorOverride() const
{
    const QString v = get(SettingsKeys::DecimalSeparator);
    // Only a single printable, non-digit character can be a separator.
    if (v.size() != 1 || v.at(0).isDigit() || !v.at(0).isPrint() || v.at(0).isSpace())
        return std::nullopt;
    return v.at(0);
}

StoreResult SettingsStore::setDecimalSeparatorOverride(QChar separator)
{
    return set(SettingsKeys::DecimalSeparator, QString(separator));
}

QChar SettingsStore::effectiveDecimalSeparator() const
{
    if (const auto o = decimalSeparatorOverride())
        return *o;
    return NumberFormat::systemSeparator();
}

StoreResult SettingsStore::write(const QString &what,
                                 const std::function<void(QSettings &)> &change)
{
    const auto s = openForWrite(m_path);
    if (!s)
        return {false, problem(0)};
    change(*s);
    return finish(*s, what);
}

QString SettingsStore::problem(int lang) const
{
    switch (shapeOf(m_path)) {
    case StoreShape::NotRegular:
        return lang == 1
                   ? QStringLiteral("Файл настроек %1 не является обычным файлом: настройки "
                                    "не читаются и не сохраняются, действуют значения по "
                                    "умолчанию.")
                         .arg(m_path)
                   : QStringLiteral("The settings file %1 is not a regular file: the settings "
                                    "are neither read nor saved, the defaults are used.")
                         .arg(m_path);
    case StoreShape::TooLarge:
        return lang == 1 ? QStringLiteral("Файл настроек %1 больше %2 МБ и не читается: "
                                          "действуют значения по умолчанию. При первом "
                                          "сохранении он будет переименован в %1.damaged.")
                               .arg(m_path)
                               .arg(kMaxStoreSize / (1024 * 1024))
                         : QStringLiteral("The settings file %1 is larger than %2 MB and is not "
                                          "read: the defaults are used. The first save moves "
                                          "it to %1.damaged.")
                               .arg(m_path)
                               .arg(kMaxStoreSize / (1024 * 1024));
    case StoreShape::Usable:
    case StoreShape::Missing:
        break;
    }
    return QString();
}
