// The parameter dialog (params.h).
#include "app/dialogs/params.h"

#include <cmath>
#include <string_view>
#include <utility>

#include "app/dialogs/lage.h"
#include "app/settings/settings.h"
#include "app/windows/saying.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"

namespace {

constexpr int kSheetWidth = 420;

// A number typed beyond its field's range is refused with a message and the
// field keeps the focus, instead of quietly becoming the range's end.
class TCoordinateSpin final : public TwwDBSpinEdit {
 public:
  TCoordinateSpin(TComponent* owner, AnsiString what, AnsiString unit)
      : TwwDBSpinEdit(owner), what_(std::move(what)), unit_(std::move(unit)) {}
  void CheckRange() {
    const double v = Value();
    if (v >= MinValue() && v <= MaxValue() && v == std::floor(v)) return;
    SetFocus();
    throw Exception(Format("Bei \"%s\" sind %d bis %d %s m\xF6glich, nicht \"%s\".", what_.c_str(),
                           static_cast<int>(MinValue()), static_cast<int>(MaxValue()), unit_.c_str(), Text().c_str()));
  }

 protected:
  void DoExit() override {
    CheckRange();
    TwwDBSpinEdit::DoExit();
  }

 private:
  AnsiString what_, unit_;
};

void CheckRange(TwwDBSpinEdit* s) { static_cast<TCoordinateSpin*>(s)->CheckRange(); }

}  // namespace

TDegreesMinutes SplitCoordinate(long double value) {
  TDegreesMinutes d;
  d.Negative = value < 0.0L;
  // Whole minutes, cut; a value stored as degrees + minutes / 60 lies a
  // hair below its minute in binary, so a millionth of a minute is added.
  const long double minutes = std::floor(std::fabs(value) * 60.0L + 1e-6L);
  d.Degrees = static_cast<int>(minutes / 60.0L);
  d.Minutes = static_cast<int>(minutes - d.Degrees * 60.0L);
  return d;
}

long double JoinCoordinate(int degrees, int minutes, bool negative) {
  const long double v = degrees + minutes * (1.0L / 60.0L);
  return negative ? -v : v;
}

AnsiString SayingCategoryName(int category) {
  // The saying window's caption without its " des Tages:" or " zum Tag:".
  AnsiString name = SayingCaption(category);
  for (std::string_view tail : {" des Tages:", " zum Tag:"})
    if (name.ends_with(tail)) return name.substr(0, name.size() - tail.size());
  return name;
}

TfrmParams::TfrmParams(TComponent* owner)
    : TfrmSettingsDialog(owner, "frmParams", "Parameter", "PARAMETER", 37, kSheetWidth + 16, 306, false),
      latitude_(Latitude),
      longitude_(Longitude) {
  SetPosition(poScreenCenter);
  PageControl1 = new TPageControl(this);
  PageControl1->SetName("PageControl1");
  PageControl1->SetParent(this);
  PageControl1->SetBounds(8, kToolPanelHeight + 10, kSheetWidth, 306 - kToolPanelHeight - 18);
  tsAllgemein = Sheet("tsAllgemein", "Allgemein");
  tsKalender = Sheet("tsKalender", "Kalender");
  tsSpruch = Sheet("tsSpruch", "Spruch");
  tsStart = Sheet("tsStart", "Startoptionen");

  // "Allgemein"
  rgLand = Group(tsAllgemein, "rgLand", " Land ", {"Deutschland", "Österreich", "Schweiz"}, 8, 8, 196, 92);  // utf8: Group converts
  rgKonfession = Group(tsAllgemein, "rgKonfession", " Konfession ", {"katholisch", "protestantisch"}, 212, 8, 192, 92);
  grpLage = new TGroupBox(this);
  grpLage->SetName("grpLage");
  grpLage->SetParent(tsAllgemein);
  grpLage->SetCaption(" Geografische Lage ");
  grpLage->SetBounds(8, 108, 396, 92);
  AddLabel(this, grpLage, "Breite", 12, 29);
  spBreiteGrad = Spin("spBreiteGrad", 64, 26, 89, 2, "Breite", "Grad");
  AddLabel(this, grpLage, "\xB0", 120, 29);
  spBreiteMin = Spin("spBreiteMin", 132, 26, 59, 2, "Breite", "Minuten");
  AddLabel(this, grpLage, "'", 188, 29);
  AddLabel(this, grpLage, CP1252("Länge").str(), 12, 61);
  spLaengeGrad = Spin("spLaengeGrad", 64, 58, 179, 3, CP1252("Länge").str(), "Grad");
  AddLabel(this, grpLage, "\xB0", 120, 61);
  spLaengeMin = Spin("spLaengeMin", 132, 58, 59, 2, CP1252("Länge").str(), "Minuten");
  AddLabel(this, grpLage, "'", 188, 61);
  auto list = [this](const char* name, int top, const AnsiString& a, const AnsiString& b) {
    auto* c = new TComboBox(this);
    c->SetName(name);
    c->SetParent(grpLage);
    c->SetStyle(csDropDownList);
    c->SetBounds(200, top, 70, 21);
    c->Items()->Add(a);
    c->Items()->Add(b);
    return c;
  };
  cmbBreite = list("cmbBreite", 26, "Nord", CP1252("Süd").str());
  cmbLaenge = list("cmbLaenge", 58, "West", "Ost");
  // Tab goes through each coordinate's own fields and its direction.
  cmbBreite->SetTabOrder(spBreiteMin->TabOrder() + 1);
  pbVorgabe = new TExplorerButton(this);
  pbVorgabe->SetName("pbVorgabe");
  pbVorgabe->SetParent(grpLage);
  pbVorgabe->SetCaption("Vorgabe");
  pbVorgabe->SetBounds(296, 40, 88, 26);
  pbVorgabe->SetTabStop(true);
  pbVorgabe->OnClick = [this](TObject*) { pbVorgabeClick(); };

  // "Kalender"
  rgWochenbeginn = Group(tsKalender, "rgWochenbeginn", " Wochenbeginn ", {"Sonntag", "Montag"}, 8, 8, 396, 48);
  rgWochenbeginn->SetColumns(2);
  rgWochenende = Group(tsKalender, "rgWochenende", " Wochenende ", {"Sa/So", "So"}, 8, 64, 192, 68);
  rgSternzeichen =
      Group(tsKalender, "rgSternzeichen", " Sternzeichen ab  ", {"12:00 Uhr", "24:00 Uhr"}, 212, 64, 192, 68);

  // "Spruch"
  rgSpruchtyp = Group(tsSpruch, "rgSpruchtyp", " Standard ", {}, 8, 8, 396, 160);
  for (int i = 0; i < 12; ++i) rgSpruchtyp->Items()->Add(SayingCategoryName(i));
  rgSpruchtyp->SetColumns(2);
  cbSpruchOben = AddCheckBox(this, tsSpruch, "cbSpruchOben", "Spruchfenster immer im Vordergrund", 8, 180, 380);

  // "Startoptionen"
  cbTermine = AddCheckBox(this, tsStart, "cbTermine", "Auf Termine hinweisen", 16, 16, 380);
  cbLetzteRubrik = AddCheckBox(this, tsStart, "cbLetzteRubrik", CP1252("Zuletzt gewählte Rubrik wieder anzeigen").str(),
                               16, 44, 380);
  cbSpruch = AddCheckBox(this, tsStart, "cbSpruch", "Spruch anzeigen", 16, 72, 380);

  rgLand->SetItemIndex(Country);
  rgKonfession->SetItemIndex(Confession);
  rgWochenbeginn->SetItemIndex(WeekStart);
  rgWochenende->SetItemIndex(Weekend);
  rgSternzeichen->SetItemIndex(ZodiacSign);
  rgSpruchtyp->SetItemIndex(SayingType);
  cbSpruchOben->SetChecked(SayingOnTop);
  cbTermine->SetChecked(ShowWarner);
  cbLetzteRubrik->SetChecked(ShowLastRubric);
  cbSpruch->SetChecked(ShowSaying);
  ShowPosition();
}

TTabSheet* TfrmParams::Sheet(const char* name, const AnsiString& caption) {
  auto* s = new TTabSheet(this);
  s->SetName(name);
  s->SetPageControl(PageControl1);
  s->SetCaption(caption);
  return s;
}

TRadioGroup* TfrmParams::Group(TWinControl* parent, const char* name, const AnsiString& caption,
                               std::initializer_list<const char*> items, int left, int top, int width, int height) {
  auto* g = new TRadioGroup(this);
  g->SetName(name);
  g->SetParent(parent);
  g->SetCaption(caption);
  g->SetBounds(left, top, width, height);
  for (const char* item : items) {
    AnsiString text;
    Utf8ToCp1252(item, text);
    g->Items()->Add(text);
  }
  return g;
}

TwwDBSpinEdit* TfrmParams::Spin(const char* name, int left, int top, int max, int digits, const AnsiString& what,
                                const AnsiString& unit) {
  auto* s = new TCoordinateSpin(this, what, unit);
  s->SetName(name);
  s->SetParent(grpLage);
  s->SetBounds(left, top, 52, 21);
  s->SetMinValue(0);
  s->SetMaxValue(max);
  s->SetMaxLength(digits);
  return s;
}

void TfrmParams::ShowPosition() {
  const TDegreesMinutes lat = SplitCoordinate(Latitude), lon = SplitCoordinate(Longitude);
  cmbBreite->SetItemIndex(lat.Negative ? 1 : 0);
  spBreiteGrad->SetValue(lat.Degrees);
  spBreiteMin->SetValue(lat.Minutes);
  cmbLaenge->SetItemIndex(lon.Negative ? 1 : 0);
  spLaengeGrad->SetValue(lon.Degrees);
  spLaengeMin->SetValue(lon.Minutes);
}

void TfrmParams::pbVorgabeClick() {
  if (ShowLage() == mrOk) ShowPosition();
}

void TfrmParams::DialogShow() { PageControl1->SetActivePage(tsAllgemein); }

void TfrmParams::pbOkClick() {
  for (TwwDBSpinEdit* s : {spBreiteGrad, spBreiteMin, spLaengeGrad, spLaengeMin}) CheckRange(s);
  auto index = [](TRadioGroup* g, uint8_t old) {
    return g->ItemIndex() < 0 ? old : static_cast<uint8_t>(g->ItemIndex());
  };
  Country = index(rgLand, Country);
  Confession = index(rgKonfession, Confession);
  WeekStart = index(rgWochenbeginn, WeekStart);
  Weekend = index(rgWochenende, Weekend);
  ZodiacSign = index(rgSternzeichen, ZodiacSign);
  if (rgSpruchtyp->ItemIndex() >= 0) SayingType = rgSpruchtyp->ItemIndex();
  SayingOnTop = cbSpruchOben->Checked();
  ShowWarner = cbTermine->Checked();
  ShowLastRubric = cbLetzteRubrik->Checked();
  ShowSaying = cbSpruch->Checked();
  auto whole = [](TwwDBSpinEdit* s) { return static_cast<int>(s->CheckValue(std::floor(s->Value()))); };
  Latitude = JoinCoordinate(whole(spBreiteGrad), whole(spBreiteMin), cmbBreite->ItemIndex() == 1);
  Longitude = JoinCoordinate(whole(spLaengeGrad), whole(spLaengeMin), cmbLaenge->ItemIndex() == 1);
  SetModalResult(mrOk);
}

void TfrmParams::DoClose(TCloseAction& action) {
  // Cancel also undoes a place taken over with "Vorgabe".
  if (ModalResult() != mrOk) {
    Latitude = latitude_;
    Longitude = longitude_;
  }
  TfrmSettingsDialog::DoClose(action);
}

int ShowParams() {
  const int result = ShowModalAndFree(new TfrmParams(Application));
  if (result == mrOk) StoreSettings();
  return result;
}
