// Reading the reference-data sources (data/*.txt, data/sprueche/*.txt and the
// German fortune files) into records ready for the tables and archives.
//
// Invariants:
//  - every string held here is Windows-1252 (the sources are UTF-8 and are
//    converted line by line; a character without a Windows-1252 form is an
//    error);
//  - loading stops at the first fault with an ESourceError whose message
//    starts with "<file>:<line>: " (UTF-8), so a build never goes on with
//    data it did not understand;
//  - every link of a text names an existing person, every place, nation,
//    profession and name a record has is resolved to its number;
//  - sayings come out as exactly 366 per category, day 1 = 1 January; none
//    is crude or longer than kMaxSayingLength, and one category repeats a
//    saying only kSayingGap days later or more.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/rtl/exceptions.h"

class ESourceError : public Exception {
public:
  using Exception::Exception;
  const char* ClassName() const override { return "ESourceError"; }
};

// A text piece: plain text (Link 0) or the visible text of a link to person
// Link.
struct TTextPiece {
  AnsiString Text;
  int Link = 0;
};
using TLinkedText = std::vector<TTextPiece>;

bool HasLinks(const TLinkedText& text);
AnsiString PlainText(const TLinkedText& text);

struct TSourceDate {
  int Day = 0, Month = 0, Year = 0;
  int Qualifier = 0;  // vor 2, nach 3, um 4, get/beerd 5, verm 6, wahr 7, vum 8
  bool AD = true;     // false: before Christ
};

struct TSourcePlace {
  int Place = 0;        // ORTE_ID, 0 = none
  int Preposition = 0;  // 1 "in" … 19; 0 without a place
};

struct TSourceAltName {
  int Type = 0;  // 0 = none
  AnsiString Name, Prefix;
};

struct TSourcePerson {
  int Id = 0;
  AnsiString Name, Predicate;
  int Attr = 0;    // 1 hl., 2 sel.
  int Gender = 0;  // 0 m, 1 w
  TSourceDate Birth, Death;
  TSourcePlace BirthPlace, DeathPlace;
  std::vector<int> Nations, Professions;
  AnsiString Patron;
  TSourceAltName Alt[2];
  TLinkedText Note;
};

struct TSourceEvent {
  int Id = 0, Day = 0, Month = 0, Year = 0;
  TLinkedText Text;
};

struct TSourceName {
  int Id = 0;
  int Type = 0;  // 0 main name, 1 name form
  int Of = 0;    // main name of a form
  AnsiString Name;
  int Gender = 0;
};

struct TSourcePatron {
  int Id = 0, Name = 0, Month = 0, Day = 0, Person = 0, See = 0;
  AnsiString Note;
};

struct TSourceHoliday {
  int Id = 0, Kind = 0, Month = 0, Day = 0;
  AnsiString Title;
  AnsiString Countries;  // e.g. "Deutschland, Österreich (katholisch)"
  TLinkedText Text;
};

struct TSourcePlaceRecord {
  int Id = 0;
  AnsiString Name, Attr;
  bool ShowAttr = false;
};

struct TSourceNation {
  int Id = 0;
  AnsiString Abbrev, Name;
};

struct TSourceProfession {
  int Id = 0;
  AnsiString Male, Female, Attr;
};

struct TSourcePosition {
  AnsiString Place;
  double Latitude = 0;   // north positive
  double Longitude = 0;  // east negative, west positive (as stored)
};

struct TSaying {
  AnsiString Text, Source;
};

constexpr int kSayingCategories = 12;
constexpr int kSayingDays = 366;
// A saying window shows at most this many characters of text.
constexpr size_t kMaxSayingLength = 300;
// Days of one category carrying the same saying stand at least this far apart
// (so no saying comes twice within a month).
constexpr int kSayingGap = 31;

struct TReferenceData {
  std::vector<TSourceNation> Nations;
  std::vector<TSourceProfession> Professions;
  std::vector<TSourcePlaceRecord> Places;
  std::vector<TSourcePerson> Persons;
  std::vector<TSourceEvent> Events;
  std::vector<TSourceName> Names;
  std::vector<TSourcePatron> Patrons;
  std::vector<TSourceHoliday> Holidays;
  std::vector<TSourcePosition> Positions;
  // [category][day - 1]
  std::array<std::vector<TSaying>, kSayingCategories> Sayings;
  // Source sayings per category before repetition.
  std::array<int, kSayingCategories> SayingSources{};
};

// Reads every source of dataDir and the fortune files of fortuneDir; raises
// ESourceError at the first fault.
TReferenceData LoadReferenceData(const std::string& dataDir, const std::string& fortuneDir);

// ---- pieces exposed for the tests -------------------------------------------

// Splits a line at "|" except inside a [[text|id]] link.
std::vector<std::string> SplitSourceFields(const std::string& line);
// "[qual ]T.M.J[v]", "M.J", "J" or empty; raises ESourceError without a
// position (the caller adds it).
TSourceDate ParseSourceDate(const std::string& text);
int DaysInMonth(int month, int year, bool ad);
// The sayings of one fortune file as (text, author), headers dropped.
std::vector<TSaying> ReadFortunes(const std::string& path);
