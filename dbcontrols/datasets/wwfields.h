// Per-field settings of the family's datasets and the field utilities the
// grid and the controls share. The controls never depend on a dataset's
// class: they read and write its setting lists and a few other properties
// by name through the published-property information, so any dataset that
// publishes ControlType counts as a member of the family.
//
// List formats (one entry per field, found by its first token):
//   ControlType   "field;type;parameters"            name compared exactly
//   PictureMasks  "field<TAB>mask<TAB>T|F<TAB>T|F"     letter case ignored
//                 (mask, auto-fill flag, allow-invalid-exit flag)
//   LookupFields  "field;database;table;display;index" name compared exactly;
//                 a longer entry names the index by its fields instead:
//                 "field;database;table;display;-;f1;...;fn;N|Y", N cutting
//                 the table name at its first "."
//   LookupLinks   parallel to LookupFields: "own;theirs[;own;theirs...]",
//                 at most five pairs
// Missing properties, lists and entries are no errors: every routine then
// answers empty, False or null.
#pragma once

#include <cstdint>

#include "dbcontrols/datasets/wwdataset.h"

class TwwTable;
class TCustomForm;

// ---- property access by name ----
TStrings* wwGetControlType(const TObject* object);
TStrings* wwGetPictureMasks(const TObject* object);
TStrings* wwGetLookupFields(const TObject* object);
TStrings* wwGetLookupLinks(const TObject* object);
bool wwGetValidateWithMask(const TObject* object);
AnsiString wwGetDatabaseName(const TObject* object);
TwwInvalidValueEvent wwGetOnInvalidValue(const TObject* object);
TwwOnFilterOptions wwGetOnFilterOptions(const TObject* object);
void wwSetFilterEnabled(TObject* object, bool enabled);
// DataSource and DataField of a control; the setters and wwGetDataField
// serve only edit controls (TCustomEdit and its descendants).
TDataSource* wwGetDataSource(const TObject* control);
bool wwSetDataSource(TObject* control, TDataSource* dataSource);
AnsiString wwGetDataField(const TObject* control);
bool wwSetDataField(TObject* control, const AnsiString& name);

// ---- the family ----
// A class (or ancestor) named TwwTable, TwwQuery, TwwQBE, TwwStoredProc or
// TwwClientDataSet, or any object publishing ControlType.
bool wwIsControlsDataSet(const TObject* object);
bool wwIsClassByName(const TObject* object, std::string_view className);

// ---- field settings ----
// The last matching ControlType entry wins; both stay empty without one.
void wwGetFieldControlType(const TDataSet* dataSet, const AnsiString& fieldName, AnsiString& controlType,
                           AnsiString& parameters);
bool wwIsEditControlType(const AnsiString& controlType);
// Both flags start True and the mask empty; an entry's flag is True only for
// "T". With useTablePicture a picture the table itself defines wins and is
// written into an existing entry.
void wwGetFieldPictureMask(TDataSet* dataSet, const AnsiString& fieldName, bool useTablePicture,
                           bool& allowInvalidExit, bool& autoFill, AnsiString& mask);
// Rewrites, adds or (for an empty mask) deletes the field's entry; each of
// mask and flags comes from an existing entry unless its keep flag is set.
void wwUpdatePictureMaskEntry(TDataSet* dataSet, const AnsiString& fieldName, AnsiString mask, bool keepAllowExit,
                              bool keepAutoFill, bool keepMask, bool allowInvalidExit, bool autoFill);
void wwGetFieldLookupLink(const TDataSet* dataSet, const AnsiString& fieldName, AnsiString& link);
void wwGetLookupDisplayToken(const TDataSet* dataSet, const AnsiString& fieldName, AnsiString& text);
void wwGetLookupTableInfo(TDataSet* dataSet, const AnsiString& fieldName, AnsiString& database, AnsiString& table,
                          AnsiString& index, AnsiString& link);

// ---- lookup tables ----
// Opens (or reuses) a read-only table for every LookupFields entry.
void wwSetupLookupFields(TDataSet* dataSet);
// The open lookup table of the field's LookupFields entry, or null.
TwwTable* wwFindLookupTable(TDataSet* dataSet, const AnsiString& fieldName);
// Positions the field's lookup table on the record the current record
// links to; True when found.
bool wwFindLookupRecord(TDataSet* dataSet, TField* field);
// Gives `lookupTable` the index of the field's entry and positions it as
// wwFindLookupRecord does; False when a link field is missing.
bool wwSyncLookupField(TDataSet* dataSet, TwwTable* lookupTable, const AnsiString& fieldName);
// Sets up the dataset's lookup tables and hands each to the controls of the
// form that edit its lookup field and have no lookup table yet.
void wwLinkLookupFields(TComponent* form, TDataSet* dataSet);
// Removes every entry whose field the dataset lacks from the lists; the
// dataset's LookupFields and LookupLinks stay parallel whichever argument
// each is passed as.
void wwRemoveMissingFields(TDataSet* dataSet, TStrings* list, TStrings* parallelList, TStrings* otherList);

// ---- field utilities ----
bool wwDataSetHasField(const TDataSet* dataSet, std::string_view name);
bool wwIsCalcOrLookupField(const TField* field);
bool wwIsValidTextForType(TFieldType type, const AnsiString& text);
bool wwIsValidFieldText(const TField* field, const AnsiString& text);
// As wwIsValidFieldText, and refuses an empty text for number, date and
// time fields.
bool wwIsValidFieldValue(const TField* field, const AnsiString& text);
// Grid column lists: "field<TAB>width<TAB>title" per entry.
void wwApplySelectedToFields(TDataSet* dataSet, TStrings* selected);
void wwBuildSelectedFromFields(TDataSet* dataSet, TStrings* selected);
bool wwFindSelectedEntry(TStrings* selected, const AnsiString& fieldName, int& index);
// 0 same record, 2 equal keys, -1/1 the order; 0 without a cursor. Raises
// the dataset error when the call level fails.
int wwCompareBookmarks(TDataSet* dataSet, const uint8_t* bookmark1, const uint8_t* bookmark2);
