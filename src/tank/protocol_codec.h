// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The text encodings of the protocol's free-text keys.
//
// Version 100 and above: every UTF-16 code unit as "#" and four decimal digits
// (Бак -> #1041#1072#1082). Four digits hold code units 0..9999 only, which
// covers the Latin and Cyrillic alphabets. Rule for the rest: the typing side
// refuses such characters with a message that names them (unencodableCharacters,
// unencodableMessage); a text that reaches the writer anyway is stored with "?"
// (#0063) in their place and the writer reports which characters were replaced,
// so no text is lost silently and every stored value stays readable by the
// five-character-group reader.
//
// Below Version 100: Windows-1251 bytes; bytes 192 and above are the letters
// А..я (byte + 848), bytes below 128 stay, bytes 128..191 (Ё, ё and the signs)
// are dropped.

#include <QByteArray>
#include <QString>
#include <optional>

/// Encodes for Version 100 (one "?" per character that does not fit, a surrogate
/// pair counting as one). `replaced`, when given, receives those characters
/// once each, in order.
QByteArray encodeProtocolText(const QString &text, QString *replaced = nullptr);

/// The characters of `text` (each once, in order) that the numeric encoding
/// cannot hold; empty when the whole text can be stored.
QString unencodableCharacters(const QString &text);
/// The message for a field whose text holds such characters (Lang: 1 Russian, 0 English).
QString unencodableMessage(const QString &characters, int lang);

/// Reads "#dddd" groups. nullopt when the value is damaged: its length is not a
/// whole number of five-character groups or a group is not "#" and four digits.
/// `cutAtReadLimit`: the value was cut by the read limit, so a trailing partial
/// group is the cut and is dropped rather than taken as damage.
std::optional<QString> decodeNumericText(const QByteArray &value, bool cutAtReadLimit = false);

/// Reads Windows-1251 bytes of a legacy protocol.
QString decodeLegacyText(const QByteArray &value);

/// Decodes by the protocol's Version (100 and above numeric, below legacy).
std::optional<QString> decodeProtocolText(const QByteArray &value, int version,
                                          bool cutAtReadLimit = false);
