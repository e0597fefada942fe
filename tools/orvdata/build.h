// Writing the reference tables and long-text archives from loaded sources.
//
// Invariants:
//  - the dictionaries built here are the only definition of the reference
//    tables' fields and indexes (names as the program reads them);
//  - the archives are written before the tables, so every offset a table
//    stores names a record that exists; 0 means "no text";
//  - a text with person links is stored as RTF with each link's visible
//    text marked as hyperlink and followed by the hidden stamp "p:" + id;
//    a text without links is stored as plain Windows-1252 text;
//  - each table is filled inside one transaction.
#pragma once

#include <string>
#include <vector>

#include "dbengine/dictionary.h"
#include "tools/orvdata/sources.h"

// Names of the twelve tables (file name = name + ".FFD").
const std::vector<std::string>& ReferenceTableNames();
// The dictionary of one of them; raises Exception for an unknown name.
TffDataDictionary ReferenceDictionary(const std::string& table);

// The RTF of a text with links (hyperlink style 0x10, hidden "p:" + id).
AnsiString LinkedTextRtf(const TLinkedText& text);

struct TBuildCounts {
  std::vector<std::pair<std::string, uint32_t>> Tables;  // name, records written
  uint32_t ArchiveRecords[3] = {0, 0, 0};                // Ereignis, Person, Feiertag
  uint32_t RtfTexts = 0;
};

// Writes <programDir>/DATEN/*.FFD and the three archives.
TBuildCounts WriteReferenceData(const TReferenceData& data, const std::string& programDir);

// The data report (UTF-8 lines): records per table, sayings per category,
// days of the year without births, deaths, events or name days.
std::string DataReport(const TReferenceData& data, const TBuildCounts& counts);
