// Reading and writing the settings of "Orvelan.Ini". One key table per
// section shape keeps the reader and the writer in step: both walk the same
// lists in the same order, so a key the reader knows is always written back.
#include "app/settings/settings.h"

#include <cerrno>
#include <cstring>
#include <string_view>

#include "app/settings/datasetup.h"
#include "platform/gfx/printer.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/files.h"
#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/forms.h"
#include "resources/cursors.h"

// ---- globals -----------------------------------------------------------------

AnsiString ProgramDir;
AnsiString ReferenceDataDir;
AnsiString UserDataDir;
AnsiString MissingReferenceDataDir;
AnsiString MissingUserDataDir;

uint8_t Country = 0;
long double Longitude = -10.0L;
long double Latitude = 50.0L;
uint8_t Confession = 1;
uint8_t WeekStart = 1;
uint8_t Weekend = 1;
uint8_t ZodiacSign = 0;
int SayingType = 0;
bool ShowSaying = false;
bool SayingOnTop = false;
bool ShowWarner = true;
bool ShowLastRubric = true;
uint8_t CurrentRubric = rbEmpty;
int HeldStartRubric = -1;
bool TemplateNotice = true;
TDateTime LastStart = 0;
bool StartedBefore = false;
AnsiString Password;
bool PasswordOnce = true;
AnsiString PendingPassword;

bool Warner0On = true;
bool Warner1On = true;
int Warner1Days = 2;
bool Warner2On = false;
int Warner2Days = 5;

int TemplatePerson = 0;
int TemplateLayout = 1;

PrintListSettings PrintLists[3];
DisplaySettings RubricDisplay[kRubricCount];
FixedStyle DispTitleStyle, DispHeadStyle, DispTextStyle;
TextAttributes DispLinkStyle;
PackedDate CurrentDateKey;

namespace {

constexpr const char* kGeneral = "ALLGEMEIN";
constexpr const char* kDirectories = "VERZEICHNISSE";
constexpr const char* kDefaults = "DEFAULTS";
constexpr const char* kTemplates = "VORLAGEN DRUCKEN";
constexpr int kFontNameLength = 32, kTitleLength = 40, kRubricTitleLength = 30, kPasswordLength = 20,
              kSelectionCodeLength = 3;
constexpr int kMaxColour = 15;  // ColorTable has 16 entries

// The keys' texts of the data folders that were missing at the start.
AnsiString gKeptReferenceDir, gKeptUserDir;

// The display sections, in the order they are read and written.
const DisplayLayout kDisplayLayouts[kRubricCount] = {
    {"", 0, {}, {}, -1, 0, {}},
    {"PERSOENLICHE DATEN", 4, {"Geburtsort", "Geburtszeit", "Anzahl Jahre", "Jubilaeum"}, {true, true, false, true},
     -1, 5, {"Jahreszahl", "Anzahl Jahre", "Jubilaeum", "Name", "Text"}},
    {"GEBURTSTAGE", 4, {"Geburtsort", "Todesdatum", "Anzahl Jahre", "Jubilaeum"}, {true, true, false, true}, 2, 9,
     {"Jahreszahl", "Anzahl Jahre", "Jubilaeum", "Name", "Geburtsort", "Beruf", "Todesdatum", "Text", "Hyperlink"}},
    {"TODESTAGE", 4, {"Todesort", "Geburtsdatum", "Anzahl Jahre", "Jubilaeum"}, {true, true, false, true}, 2, 9,
     {"Jahreszahl", "Anzahl Jahre", "Jubilaeum", "Name", "Todesort", "Beruf", "Geburtsdatum", "Text", "Hyperlink"}},
    {"EREIGNISSE", 2, {"Anzahl Jahre", "Jubilaeum"}, {false, true}, 1, 5,
     {"Jahreszahl", "Anzahl Jahre", "Jubilaeum", "Text", "Hyperlink"}},
    {"NAMENSTAGE", 3, {"Namensformen", "Lebensdaten", "Patron(in) von"}, {true, true, true}, 2, 7,
     {"Namensformen", "Name", "Beruf", "Lebensdaten", "Patron(in) von", "Text", "Hyperlink"}},
    {"FEIERTAGE", 1, {"Anmerkungen"}, {true}, -1, 4, {"Land", "Anmerkung", "Text", "Hyperlink"}},
};

// Defaults of an element's attribute block, the same in every section.
struct AttrDefault {
  uint32_t Styles;
  int TextColour, UnderlineColour;
};
AttrDefault AttrDefaultOf(std::string_view element) {
  if (element == "Anzahl Jahre" || element == "Namensformen" || element == "Anmerkung") return {tsItalic, 0, 0};
  if (element == "Jubilaeum" || element == "Land") return {tsBold, 0, 0};
  if (element == "Name") return {tsBold, 3, 0};
  if (element == "Hyperlink") return {tsUnderline, 3, 3};
  return {0, 0, 0};
}
// Only the hyperlink blocks of the display sections carry an underline colour.
bool HasUnderlineColour(std::string_view element) { return element == "Hyperlink"; }

struct PrintListLayout {
  const char* Section;
  const char* DefaultTitle;  // UTF-8 in the source; converted where used
  bool HasDates;
};
const PrintListLayout kPrintLists[3] = {
    {"TAGEBUCH DRUCKEN", "Tagebuch", true},
    {"GEBURTSTAGSLISTE DRUCKEN", "Geburtstagsliste", true},
    {"GEBURTSTAGSUEBERSICHT DRUCKEN", nullptr, false},  // title "Geburtstagsübersicht"
};
AnsiString PrintListDefaultTitle(int list) {
  if (kPrintLists[list].DefaultTitle) return kPrintLists[list].DefaultTitle;
  return CP1252("Geburtstagsübersicht").str();
}

// Page block styles: prefix, size, styles, paragraph space before and after.
struct PageStyleLayout {
  const char* Prefix;
  int Size;
  uint32_t Styles;
  int SpaceBefore, SpaceAfter;
};
const PageStyleLayout kPageStyles[3] = {
    {"Titel", 22, tsBold | tsItalic, 0, 84},
    {"Untertitel", 12, tsBold, 56, 28},
    {"Text", 10, 0, 0, 28},
};

const TDateTime kDefaultDateFrom = EncodeDate(1900, 1, 1);
const TDateTime kDefaultDateTo = EncodeDate(1999, 12, 31);

AnsiString Key(const AnsiString& prefix, std::string_view suffix) { return Trim(prefix + AnsiString(suffix)); }

AnsiString Limited(const AnsiString& s, int length) { return s.size() > static_cast<size_t>(length) ? s.substr(0, length) : s; }

int ReadRanged(TIniFile& ini, std::string_view section, std::string_view key, int low, int high, int def) {
  int v = ini.ReadInteger(section, key, def);
  ResetIfOutOfRange(v, low, high, def);
  return v;
}

// Twips a page, paragraph or spacing value may take (a sheet of 50 inches):
// what the windows add up from them stays far from the integer range's ends.
constexpr int kMaxTwips = 72000;
int ReadTwips(TIniFile& ini, std::string_view section, std::string_view key, int low, int def) {
  return ReadRanged(ini, section, key, low, kMaxTwips, def);
}

// Degrees up to `limit` either way; anything else takes the default.
long double ReadCoordinate(TIniFile& ini, std::string_view key, const char* defText, long double def, double limit) {
  double v = 0;
  if (!TryStrToFloat(Trim(ini.ReadString(kGeneral, key, defText)), v) || !(v >= -limit && v <= limit)) return def;
  return v;
}

TDateTime ReadDateText(TIniFile& ini, std::string_view section, std::string_view key, TDateTime def) {
  TDateTime v = 0;
  if (!TryStrToDate(Trim(ini.ReadString(section, key, DateToStr(def))), v)) return def;
  return v;
}

// A data directory: stored relative to the program directory when it lies
// inside it, so that a moved or copied program keeps to its own data; an
// absolute path elsewhere is kept as it is. `folder` is the program
// directory's own folder, the default.
// A folder that is gone (the program directory was moved, a disk is not
// plugged in, the file names another machine's) gives the program
// directory's own for this run: `missing` receives it and `kept` the text
// of the key, which is written back as it was, so the folder set is used
// again once it is there.
AnsiString ReadDirectory(TIniFile& ini, std::string_view key, const char* folder, AnsiString& missing,
                         AnsiString& kept) {
  missing.clear();
  kept.clear();
  const AnsiString own = AddTrailingBackslash(ProgramDir + folder);
  const AnsiString text = ini.ReadFileName(kDirectories, key, "");
  if (Trim(text).empty()) return own;  // an empty key would put the data into the working directory
  auto placed = [](AnsiString d) { return AddTrailingBackslash(d[0] == PathDelim ? d : ProgramDir + d); };
  const AnsiString dir = placed(Trim(text));
  if (dir == own || DirectoryExists(dir)) return dir;
  // An older file's path written the Windows way ("DATEN\"), where no
  // folder is named with the backslashes.
  if (const AnsiString slashed = placed(WithSlashes(Trim(text))); DirectoryExists(slashed)) return slashed;
  missing = dir;
  kept = text;
  return own;
}

// The reader drops the blanks around a value and one pair of enclosing
// quotes: a password with blanks at its ends, or itself in quotes, is
// written in quotes, so that what opens the data is what was typed.
AnsiString StoredPassword(const AnsiString& password) {
  const bool quoted = password.size() >= 2 && (password[0] == '"' || password[0] == '\'') &&
                      password.back() == password[0];
  return Trim(password) == password && !quoted ? password : "\"" + password + "\"";
}

AnsiString StoredDirectory(const AnsiString& dir, const AnsiString& kept) {
  if (!kept.empty()) return kept;
  if (dir.size() < ProgramDir.size() || dir.compare(0, ProgramDir.size(), ProgramDir) != 0) return dir;
  const AnsiString inside = dir.substr(ProgramDir.size());
  return inside.empty() ? AnsiString(".") + PathDelim : inside;
}

void ReadDisplaySection(TIniFile& ini, int rubric) {
  const DisplayLayout& l = kDisplayLayouts[rubric];
  DisplaySettings& d = RubricDisplay[rubric];
  d = DisplaySettings();
  for (int i = 0; i < l.SwitchCount; ++i) d.Switches[i] = ini.ReadBool(l.Section, l.SwitchKeys[i], l.SwitchDefaults[i]);
  if (rubric == rbPersonal)
    d.RubricTitle = Limited(ini.ReadString(l.Section, "Rubriktitel", CP1252("Persönliches").str()), kRubricTitleLength);
  if (l.MediaLinksMax >= 0) d.MediaLinks = ReadRanged(ini, l.Section, "Media Links", 0, l.MediaLinksMax, 1);
  ReadFontSettings(ini, l.Section, "", d.Font, "Arial", 10);
  for (int i = 0; i < l.AttrCount; ++i) {
    const AttrDefault def = AttrDefaultOf(l.AttrNames[i]);
    ReadTextAttr(ini, l.Section, l.AttrNames[i], d.Attr[i], def.Styles, def.TextColour, def.UnderlineColour,
                 HasUnderlineColour(l.AttrNames[i]));
  }
}

void WriteDisplaySection(TIniFile& ini, int rubric) {
  const DisplayLayout& l = kDisplayLayouts[rubric];
  const DisplaySettings& d = RubricDisplay[rubric];
  for (int i = 0; i < l.SwitchCount; ++i) ini.WriteBool(l.Section, l.SwitchKeys[i], d.Switches[i]);
  if (rubric == rbPersonal) ini.WriteString(l.Section, "Rubriktitel", d.RubricTitle);
  if (l.MediaLinksMax >= 0) ini.WriteInteger(l.Section, "Media Links", d.MediaLinks);
  WriteFontSettings(ini, l.Section, "", d.Font);
  for (int i = 0; i < l.AttrCount; ++i)
    WriteTextAttr(ini, l.Section, l.AttrNames[i], d.Attr[i], HasUnderlineColour(l.AttrNames[i]));
}

void SetFixedStyles() {
  DispTitleStyle = {{"Arial", 12, 0, 0}, {tsBold, 0, 0}};
  DispHeadStyle = {{"Arial", 10, 0, 0}, {tsBold, 0, 0}};
  DispTextStyle = {{"Arial", 10, 0, 0}, {0, 0, 0}};
  DispLinkStyle = {tsUnderline, 3, 3};
}

}  // namespace

const DisplayLayout& DisplayLayoutOf(int rubric) {
  if (rubric < rbPersonal || rubric >= kRubricCount) throw ERangeError("Rubrik " + IntToStr(rubric) + " hat keine Anzeige");
  return kDisplayLayouts[rubric];
}

void ResetIfOutOfRange(int& value, int low, int high, int def) {
  if (value < low || value > high) value = def;
}

AnsiString AddTrailingBackslash(const AnsiString& path) {
  if (!path.empty() && path.back() == PathDelim) return path;
  return path + PathDelim;
}

// ---- block readers and writers ---------------------------------------------------

void ReadFontSettings(TIniFile& ini, const AnsiString& section, const AnsiString& prefix, FontSettings& font,
                      const AnsiString& defName, int defSize) {
  AnsiString name = Trim(ini.ReadString(section, Key(prefix, " Schrift"), defName));
  font.FontName = Limited(name.empty() ? defName : name, kFontNameLength);
  font.Size = static_cast<uint8_t>(ReadRanged(ini, section, Key(prefix, " Groesse"), 1, 255, defSize));
  font.SpaceBefore = ReadTwips(ini, section, Key(prefix, " Abstand vor"), -kMaxTwips, 0);
  font.SpaceAfter = ReadTwips(ini, section, Key(prefix, " Abstand nach"), -kMaxTwips, 0);
}

void ReadTextAttr(TIniFile& ini, const AnsiString& section, const AnsiString& prefix, TextAttributes& attr,
                  uint32_t defStyles, int defTextColour, int defUnderlineColour, bool withUnderlineColour) {
  attr.Styles = 0;
  if (ini.ReadBool(section, Key(prefix, " Fett"), defStyles & tsBold)) attr.Styles |= tsBold;
  // Underlining is drawn in the underline colour: a block without one has
  // no underline style.
  if (withUnderlineColour && ini.ReadBool(section, Key(prefix, " Unterstrichen"), defStyles & tsUnderline))
    attr.Styles |= tsUnderline;
  if (ini.ReadBool(section, Key(prefix, " Kursiv"), defStyles & tsItalic)) attr.Styles |= tsItalic;
  attr.TextColour =
      static_cast<uint8_t>(ReadRanged(ini, section, Key(prefix, " Textfarbe"), 0, kMaxColour, defTextColour));
  attr.UnderlineColour =
      withUnderlineColour
          ? static_cast<uint8_t>(ReadRanged(ini, section, Key(prefix, " Unterstrichfarbe"), 0, kMaxColour,
                                            defUnderlineColour))
          : static_cast<uint8_t>(defUnderlineColour);
}

void ReadParaSettings(TIniFile& ini, const AnsiString& section, const AnsiString& prefix, ParagraphSettings& para,
                      int defSpaceBefore, int defSpaceAfter) {
  para.Hanging = ReadTwips(ini, section, Key(prefix, " Haengend"), -kMaxTwips, 0);
  para.IndentLeft = ReadTwips(ini, section, Key(prefix, " Einruecken links"), -kMaxTwips, 0);
  para.IndentRight = ReadTwips(ini, section, Key(prefix, " Einruecken rechts"), -kMaxTwips, 0);
  para.SpaceBefore = ReadTwips(ini, section, Key(prefix, " Abstand vor"), -kMaxTwips, defSpaceBefore);
  para.LineSpacing = ReadTwips(ini, section, Key(prefix, " Zwischenraum"), -kMaxTwips, 0);
  para.SpaceAfter = ReadTwips(ini, section, Key(prefix, " Abstand nach"), -kMaxTwips, defSpaceAfter);
}

void ReadPageSettings(TIniFile& ini, const AnsiString& section, PageSettings& page, const AnsiString& defTitle) {
  page.Title = Limited(ini.ReadString(section, "Titel", defTitle), kTitleLength);
  for (int s = 0; s < 3; ++s) {
    const PageStyleLayout& l = kPageStyles[s];
    TextStyleSettings& style = page.Styles[s];
    ReadFontSettings(ini, section, l.Prefix, style.Font, "Arial", l.Size);
    ReadTextAttr(ini, section, l.Prefix, style.Attr, l.Styles, 0, 0, true);
    ReadParaSettings(ini, section, l.Prefix, style.Para, l.SpaceBefore, l.SpaceAfter);
    // With the same prefix the font block's spacing keys are the paragraph
    // block's: one key, one value, so a save and a load change nothing.
    style.Font.SpaceBefore = style.Para.SpaceBefore;
    style.Font.SpaceAfter = style.Para.SpaceAfter;
  }
  // A sheet is at least 1 cm wide and high.
  page.PaperWidth = ReadTwips(ini, section, "Papier Breite", 567, 11906);
  page.PaperHeight = ReadTwips(ini, section, "Papier Hoehe", 567, 16838);
  page.MarginTop = ReadTwips(ini, section, "Rand oben", 0, 567);
  page.MarginBottom = ReadTwips(ini, section, "Rand unten", 0, 567);
  page.MarginLeft = ReadTwips(ini, section, "Rand links", 0, 567);
  page.MarginRight = ReadTwips(ini, section, "Rand rechts", 0, 567);
}

void WriteFontSettings(TIniFile& ini, const AnsiString& section, const AnsiString& prefix, const FontSettings& font) {
  ini.WriteString(section, Key(prefix, " Schrift"), font.FontName);
  ini.WriteInteger(section, Key(prefix, " Groesse"), font.Size);
  ini.WriteInteger(section, Key(prefix, " Abstand vor"), font.SpaceBefore);
  ini.WriteInteger(section, Key(prefix, " Abstand nach"), font.SpaceAfter);
}

void WriteTextAttr(TIniFile& ini, const AnsiString& section, const AnsiString& prefix, const TextAttributes& attr,
                   bool withUnderlineColour) {
  ini.WriteBool(section, Key(prefix, " Fett"), attr.Styles & tsBold);
  ini.WriteBool(section, Key(prefix, " Unterstrichen"), attr.Styles & tsUnderline);
  ini.WriteBool(section, Key(prefix, " Kursiv"), attr.Styles & tsItalic);
  ini.WriteInteger(section, Key(prefix, " Textfarbe"), attr.TextColour);
  if (withUnderlineColour) ini.WriteInteger(section, Key(prefix, " Unterstrichfarbe"), attr.UnderlineColour);
}

void WriteParaSettings(TIniFile& ini, const AnsiString& section, const AnsiString& prefix,
                       const ParagraphSettings& para) {
  ini.WriteInteger(section, Key(prefix, " Haengend"), para.Hanging);
  ini.WriteInteger(section, Key(prefix, " Einruecken links"), para.IndentLeft);
  ini.WriteInteger(section, Key(prefix, " Einruecken rechts"), para.IndentRight);
  ini.WriteInteger(section, Key(prefix, " Abstand vor"), para.SpaceBefore);
  ini.WriteInteger(section, Key(prefix, " Zwischenraum"), para.LineSpacing);
  ini.WriteInteger(section, Key(prefix, " Abstand nach"), para.SpaceAfter);
}

void WritePageSettings(TIniFile& ini, const AnsiString& section, const PageSettings& page) {
  ini.WriteString(section, "Titel", page.Title);
  for (int s = 0; s < 3; ++s) {
    const char* prefix = kPageStyles[s].Prefix;
    WriteFontSettings(ini, section, prefix, page.Styles[s].Font);
    WriteTextAttr(ini, section, prefix, page.Styles[s].Attr, true);
    WriteParaSettings(ini, section, prefix, page.Styles[s].Para);
  }
  ini.WriteInteger(section, "Papier Breite", page.PaperWidth);
  ini.WriteInteger(section, "Papier Hoehe", page.PaperHeight);
  ini.WriteInteger(section, "Rand oben", page.MarginTop);
  ini.WriteInteger(section, "Rand unten", page.MarginBottom);
  ini.WriteInteger(section, "Rand links", page.MarginLeft);
  ini.WriteInteger(section, "Rand rechts", page.MarginRight);
}

// ---- the whole file ----------------------------------------------------------------

AnsiString SettingsFileName() { return ProgramDir + "Orvelan.Ini"; }

namespace {

// True once this run told why the settings cannot be stored.
bool gToldUnwritable = false;

// The cause of a failed access to the settings file in words, and what to
// do where the user can do something.
AnsiString SystemProblem(int err) {
  switch (err) {
    case EISDIR:
      return "Sie ist ein Verzeichnis, keine Datei. Benennen Sie das Verzeichnis um, damit Orvelan die Datei anlegen "
             "kann.";
    case ENXIO:
      return CP1252("Sie ist keine gewöhnliche Datei, sondern eine Pipe, ein Gerät oder ein Socket (oder eine "
                    "Verknüpfung darauf). Ersetzen Sie sie durch eine gewöhnliche Datei.")
          .str();
    case ELOOP:
      return CP1252("Sie ist eine Verknüpfung, die im Kreis auf sich selbst verweist. Lassen Sie sie auf die Datei mit "
                    "Ihren Einstellungen verweisen, oder löschen Sie sie.")
          .str();
    case ENOENT: return "Ihr Verzeichnis fehlt.";
    default: return SysErrorMessage(err);
  }
}

// Why the settings file cannot be written, and what to do, in German.
AnsiString SettingsWriteProblem(int err) {
  switch (err) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return CP1252("Auf dem Datenträger ist nicht genug Platz frei. Schaffen Sie dort Platz, dann werden die "
                    "Einstellungen wieder gespeichert.")
          .str();
    case EROFS:
      return CP1252("Der Datenträger ist schreibgeschützt. Kopieren Sie den Ordner von Orvelan auf einen "
                    "beschreibbaren Datenträger und starten Sie Orvelan von dort.")
          .str();
    case EACCES:
    case EPERM:
      return CP1252("Die Datei oder ihr Verzeichnis ist schreibgeschützt (fehlende Schreibrechte). Heben Sie den "
                    "Schreibschutz auf oder lassen Sie sich Schreibrechte für die Datei und ihr Verzeichnis geben.")
          .str();
    case EIO:
      return CP1252("Beim Schreiben ist ein Fehler des Datenträgers aufgetreten. Prüfen Sie den Datenträger.").str();
    default: return SystemProblem(err);
  }
}

AnsiString SettingsReadProblem(int err) {
  switch (err) {
    case EACCES:
    case EPERM:
      return CP1252("Sie dürfen die Datei nicht lesen (fehlende Zugriffsrechte). Lassen Sie sich Lese- und "
                    "Schreibrechte für die Datei geben, dann gelten Ihre Einstellungen beim nächsten Start wieder.")
          .str();
    case EIO:
      return CP1252("Beim Lesen ist ein Fehler des Datenträgers aufgetreten. Prüfen Sie den Datenträger.").str();
    default: return SystemProblem(err);
  }
}

}  // namespace

void ExplainSettingsFile() {
  auto ini = OpenSettingsFile();
  if (const int err = ini->ReadProblem()) {
    gToldUnwritable = true;  // a file that cannot be read is never written over
    Application->MessageBox(CP1252("Die Einstellungen in der Datei \"").str() + ShownFileName(SettingsFileName()) +
                                CP1252("\" können nicht gelesen werden: ").str() + SettingsReadProblem(err) +
                                CP1252("\r\rOrvelan verwendet bei diesem Start die Standardeinstellungen. Die Datei "
                                       "bleibt unverändert; Änderungen an den Einstellungen gehen am Ende verloren.")
                                    .str(),
                            "Orvelan", MB_OK | MB_ICONWARNING);
  } else if (const int werr = ini->WriteProblem()) {
    TellSettingsUnwritable(werr);
  }
}

void TellSettingsUnwritable(int err) {
  // Windows the application object frees save their places after it is
  // gone: there is nobody left to tell then.
  if (gToldUnwritable || !Application) return;
  gToldUnwritable = true;
  Application->MessageBox(
      CP1252("Die Einstellungen können nicht in der Datei \"").str() + ShownFileName(SettingsFileName()) +
          "\" gespeichert werden: " +
          SettingsWriteProblem(err) +
          CP1252("\r\rBis dahin bleibt die Datei unverändert; Änderungen an den Einstellungen (auch die Lage der "
                 "Fenster) gehen am Ende verloren.")
              .str(),
      "Orvelan", MB_OK | MB_ICONWARNING);
}

std::unique_ptr<TIniFile> OpenSettingsFile() {
  auto ini = std::make_unique<TIniFile>(SettingsFileName());
  ini->SetOwnerOnly(true);  // the file holds the password
  return ini;
}

void ReadSettingsFile(TIniFile& ini) {
  ReferenceDataDir = ReadDirectory(ini, "Grunddaten", "DATEN", MissingReferenceDataDir, gKeptReferenceDir);
  UserDataDir = ReadDirectory(ini, "Eigene Daten", "BENUTZER", MissingUserDataDir, gKeptUserDir);

  Country = static_cast<uint8_t>(ReadRanged(ini, kGeneral, "Land", 0, 255, 0));
  Longitude = ReadCoordinate(ini, "Geografische Laenge", "-10.0", -10.0L, 180);
  Latitude = ReadCoordinate(ini, "Geografische Breite", "50.0", 50.0L, 90);
  Confession = static_cast<uint8_t>(ReadRanged(ini, kGeneral, "Konfession", 0, 255, 1));
  WeekStart = static_cast<uint8_t>(ReadRanged(ini, kGeneral, "Wochenbeginn", 0, 255, 1));
  Weekend = static_cast<uint8_t>(ReadRanged(ini, kGeneral, "Wochenende", 0, 255, 1));
  ZodiacSign = static_cast<uint8_t>(ReadRanged(ini, kGeneral, "Sternzeichen", 0, 255, 0));
  SayingType = ReadRanged(ini, kGeneral, "Spruchtyp", 0, 11, 0);
  ShowSaying = ini.ReadBool(kGeneral, "Spruch anzeigen", false);
  SayingOnTop = ini.ReadBool(kGeneral, "Spruchfenster immer oben", false);
  ShowWarner = ini.ReadBool(kGeneral, "Termine anzeigen", true);
  ShowLastRubric = ini.ReadBool(kGeneral, "Letzte Rubrik anzeigen", true);
  // A stored rubric outside the seven pages opens the empty title page.
  CurrentRubric = static_cast<uint8_t>(
      ShowLastRubric ? ReadRanged(ini, kGeneral, "Rubrik", rbEmpty, rbHolidays, rbEmpty) : int{rbEmpty});
  HeldStartRubric = -1;
  TemplateNotice = ini.ReadBool(kGeneral, "Vorlage-Hinweis", true);
  const int yesterday = static_cast<int>(Trunc(Date())) - 1;
  StartedBefore = ini.ValueExists(kGeneral, "Letzter Programmstart");
  LastStart = ReadRanged(ini, kGeneral, "Letzter Programmstart", static_cast<int>(PackedDateToDateTime(PackedDateMin())),
                         static_cast<int>(PackedDateToDateTime(PackedDateMax())), yesterday);
  Password = Limited(ini.ReadString(kGeneral, "Passwort", ""), kPasswordLength);
  PasswordOnce = ini.ReadBool(kGeneral, "Passwort nur einmal", true);
  PendingPassword = Password;

  Warner0On = ini.ReadBool(kDefaults, "Terminwarner 0 ein", true);
  Warner1On = ini.ReadBool(kDefaults, "Terminwarner 1 ein", true);
  Warner1Days = ReadRanged(ini, kDefaults, "Terminwarner 1 Tage", 1, 21, 2);
  Warner2On = ini.ReadBool(kDefaults, "Terminwarner 2 ein", false);
  Warner2Days = ReadRanged(ini, kDefaults, "Terminwarner 2 Tage", 1, 21, 5);

  // Numbers of an entry and of a template, which the program counts up from 1.
  TemplatePerson = ReadRanged(ini, kTemplates, "Person", 0, 99999999, 0);
  TemplateLayout = ReadRanged(ini, kTemplates, "Vorlage", 0, 99999999, 1);

  for (int i = 0; i < 3; ++i) {
    const PrintListLayout& l = kPrintLists[i];
    PrintListSettings& p = PrintLists[i];
    p = PrintListSettings();
    p.Selection = ReadRanged(ini, l.Section, "Selektion", 0, 1, 0);
    p.SelectionCode = Limited(ini.ReadString(l.Section, "Selektionscode", ""), kSelectionCodeLength);
    ReadPageSettings(ini, l.Section, p.Page, PrintListDefaultTitle(i));
    if (l.HasDates) {
      p.DateFrom = ReadDateText(ini, l.Section, "Datum von", kDefaultDateFrom);
      p.DateTo = ReadDateText(ini, l.Section, "Datum bis", kDefaultDateTo);
    } else {
      p.Month = ReadRanged(ini, l.Section, "Monat", 0, 11, 0);
    }
  }

  for (int r = rbPersonal; r < kRubricCount; ++r) ReadDisplaySection(ini, r);
  SetFixedStyles();
}

void WriteSettingsFile(TIniFile& ini) {
  ini.BeginUpdate();
  ini.WriteString(kDirectories, "Grunddaten", StoredDirectory(ReferenceDataDir, gKeptReferenceDir));
  ini.WriteString(kDirectories, "Eigene Daten", StoredDirectory(UserDataDir, gKeptUserDir));

  ini.WriteInteger(kGeneral, "Land", Country);
  ini.WriteString(kGeneral, "Geografische Laenge", FloatToStr(static_cast<double>(Longitude)));
  ini.WriteString(kGeneral, "Geografische Breite", FloatToStr(static_cast<double>(Latitude)));
  ini.WriteInteger(kGeneral, "Konfession", Confession);
  ini.WriteInteger(kGeneral, "Wochenbeginn", WeekStart);
  ini.WriteInteger(kGeneral, "Wochenende", Weekend);
  ini.WriteInteger(kGeneral, "Sternzeichen", ZodiacSign);
  ini.WriteInteger(kGeneral, "Spruchtyp", SayingType);
  ini.WriteBool(kGeneral, "Spruch anzeigen", ShowSaying);
  ini.WriteBool(kGeneral, "Spruchfenster immer oben", SayingOnTop);
  ini.WriteBool(kGeneral, "Termine anzeigen", ShowWarner);
  ini.WriteBool(kGeneral, "Letzte Rubrik anzeigen", ShowLastRubric);
  ini.WriteInteger(kGeneral, "Rubrik", HeldStartRubric >= 0 ? HeldStartRubric : CurrentRubric);
  ini.WriteBool(kGeneral, "Vorlage-Hinweis", TemplateNotice);
  ini.WriteInteger(kGeneral, "Letzter Programmstart", static_cast<int>(Trunc(LastStart)));
  ini.WriteString(kGeneral, "Passwort", StoredPassword(Password));
  ini.WriteBool(kGeneral, "Passwort nur einmal", PasswordOnce);

  ini.WriteBool(kDefaults, "Terminwarner 0 ein", Warner0On);
  ini.WriteBool(kDefaults, "Terminwarner 1 ein", Warner1On);
  ini.WriteInteger(kDefaults, "Terminwarner 1 Tage", Warner1Days);
  ini.WriteBool(kDefaults, "Terminwarner 2 ein", Warner2On);
  ini.WriteInteger(kDefaults, "Terminwarner 2 Tage", Warner2Days);

  ini.WriteInteger(kTemplates, "Person", TemplatePerson);
  ini.WriteInteger(kTemplates, "Vorlage", TemplateLayout);

  for (int i = 0; i < 3; ++i) {
    const PrintListLayout& l = kPrintLists[i];
    const PrintListSettings& p = PrintLists[i];
    ini.WriteInteger(l.Section, "Selektion", p.Selection);
    ini.WriteString(l.Section, "Selektionscode", p.SelectionCode);
    WritePageSettings(ini, l.Section, p.Page);
    if (l.HasDates) {
      ini.WriteString(l.Section, "Datum von", FormatDateTime("dd.MM.yyyy", p.DateFrom));
      ini.WriteString(l.Section, "Datum bis", FormatDateTime("dd.MM.yyyy", p.DateTo));
    } else {
      ini.WriteInteger(l.Section, "Monat", p.Month);
    }
  }

  for (int r = rbPersonal; r < kRubricCount; ++r) WriteDisplaySection(ini, r);
  ini.EndUpdate();
}

// ---- start and end -------------------------------------------------------------------

void LoadSettings() {
  gToldUnwritable = false;  // a new run
  ShortDateFormat = "dd.MM.yyyy";
  ShortTimeFormat = "hh:mm";
  DateSeparator = '.';
  TimeSeparator = ':';
  ProgramDir = AddTrailingBackslash(ProgramDirectory());
  CreateSharedStream();
  Screen->SetCursors(crHyperlink, HyperlinkCursorImage());
  {
    auto ini = OpenSettingsFile();
    ReadSettingsFile(*ini);
  }
  Printer()->SetOrientation(poPortrait);
  SetUpData();
}

void StoreSettings() {
  try {
    WriteSettingsFile(*OpenSettingsFile());
  } catch (const EIniFileException& e) {
    TellSettingsUnwritable(e.ErrorCode());
  }
}

void SaveSettings() {
  // The data is let go also when the settings cannot be stored.
  TScopeExit release{[] { ReleaseData(); }};
  auto ini = OpenSettingsFile();
  WriteSettingsFile(*ini);
}
