// The data every window shares for the whole run: the database aliases
// "Orvelan" (reference data, read only) and "OrvUser" (the user's tables),
// the five lookup tables the record formatters read, the three long-text
// archives and one scratch memory stream. Set up at the end of LoadSettings,
// released at the end of SaveSettings.
//
// Invariants: between a successful SetUpData and ReleaseData every object
// below exists and is open; outside that span every pointer is null. A
// failed set-up releases what it had made, so the pointers are null again.
#pragma once

#include "calendar/vlf.h"
#include "dbcontrols/datasets/wwtable.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"

// A reference table or archive is missing or unreadable; the message is
// German, names the file and says that the program ends.
ORV_DECLARE_EXCEPTION(EDataSetupError, Exception)

extern TMemoryStream* SharedStream;
extern TVlf* EventArchive;    // "Ereignis.Stx"
extern TVlf* PersonArchive;   // "Person.Stx"
extern TVlf* HolidayArchive;  // "Feiertag.Stx"
extern TwwTable* PlaceTable;             // "ORT.FFD", index "XPKORTE"
extern TwwTable* NationTable;            // "NATION.FFD", index "XPKNATI"
extern TwwTable* ProfessionTable;        // "BERUF.FFD", index "XPKBERU"
extern TwwTable* PersonNationTable;      // "PERSNATI.FFD", index "PN_PERS"
extern TwwTable* PersonProfessionTable;  // "PERSBERU.FFD", index "PB_PERS"

// The shared stream (made once the program directory is known).
void CreateSharedStream();
// Archives, aliases (the user directory is created when missing), lookup
// tables and the check of the page tables, in that order, from
// ReferenceDataDir and UserDataDir. Raises
// EDataSetupError; everything made before the failure is released.
void SetUpData();
// Frees every object above; safe after a partial or no set-up.
void ReleaseData();

// LoadSettings for the program block: true when the program may go on.
// A failed data set-up shows its German message in an error box and gives
// false, so the program ends cleanly instead of stopping on an exception.
bool LoadSettingsOrExplain();
