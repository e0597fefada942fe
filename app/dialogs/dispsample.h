// The samples of the display-settings dialogs: a short day page of a rubric
// written with a display section (its switches, media links, font and
// attribute blocks) the way the day pages write theirs, so the user sees
// each element in its own look before the settings are stored. The texts
// are made up; every element of the section appears in its block while its
// switch shows it, and hyperlinks carry the link code "Dummy".
//
// Invariants: a sample is complete and laid out when BuildDisplaySample
// returns, and depends on nothing but the section and the control's width
// (no table, no archive, no date); the control's read-only state is what
// it was before.
#pragma once

#include "app/settings/settings.h"
#include "richtext/controls/rtfedit.h"

// The link code of every hyperlink in a sample.
constexpr const char* kSampleLinkCode = "Dummy";

// Builds the sample of a rubric (rbPersonal .. rbHolidays) into the control
// with the section: cleared, page width from the control's width less 10
// pixels with margins of 72 twips, written, laid out and scrolled to the
// start; window updates are held back meanwhile.
void BuildDisplaySample(TWPCustomRtfEdit* edit, int rubric, const DisplaySettings& s);
