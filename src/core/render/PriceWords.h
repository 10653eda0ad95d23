// SPDX-License-Identifier: GPL-3.0-or-later
// The amount of a payment slip in Czech words ("Částka slovy").
//
// Only whole koruny are spelled out; the fraction is dropped toward zero. The words
// are stored as the printed slips have always shown them (some lack their
// diacritics: "tri", "ctyri", "dve"). Blanks separate the words only to mark where
// the printed row may be broken; the slip prints the words run together.
#pragma once

#include <QString>

namespace kvitanky {

// Text printed in place of the words for an amount whose whole koruny lie outside
// -2 147 483 647 .. 2 147 483 647, or that is not a number at all (NaN, infinity).
// Such amounts cannot be typed on the recipient page; they reach the program only
// through imported or hand-edited tables. A marker is returned instead of words,
// so a wrapped-around or clipped value is never spelled out as if it were real.
inline constexpr const char *PriceOutOfRangeText = "mimo rozsah";

// How the words are spelled: as the slips have always shown them, or in correct
// Czech ("tři", "čtyři", "dvěstě", "milionů"). Each correct word has as many
// characters as the designed one, so both spellings split and fit alike.
enum class WordSpelling { AsDesigned, Czech };

// The amount in words, e.g. 12345 -> "dvanáct tisíc tri sta ctyricet pet",
// -2 -> "mínusdve", 0.99 -> "nula". Never empty.
QString PriceToWords(double amount, WordSpelling spelling = WordSpelling::AsDesigned);

// One group of three digits (0 to 999) in words; empty for 0. A value outside
// 0 to 999 gives an empty text.
QString HundredsToWords(int value);

} // namespace kvitanky
