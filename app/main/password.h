// The password that guards the user's personal data: every way into it
// (the personal rubric, the editors of persons, events and selection
// codes, the password definition and the printed lists of personal data)
// asks AskPasswort first.
#pragma once

// True when the personal data may be used: at once when no password is
// pending, otherwise when the user types it exactly (case matters) and
// confirms. A granted prompt with "Passwort nur einmal" set asks no more
// until the password is defined again or the program restarts. A wrong
// password or a cancel gives false without a message.
bool AskPasswort();

// Lets the user define or change the password (typed twice) and whether it
// is asked once per start; an empty password removes it. The values reach
// the settings file at the end of the program.
void ShowPassDef();
