#pragma once
// Shared declarations of the dataset classes: states, data events, field
// types, the error routine and the class library's message texts.
#include <initializer_list>
#include <string>

#include "base/Classes.h"
#include "base/Exceptions.h"
#include "base/SysUtils.h"

class TDataSet;
class TDataSource;
class TDataLink;
class TField;

enum TDataSetState {
    dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter,
    dsNewValue, dsOldValue, dsCurValue, dsBlockRead, dsInternalCalc, dsOpening
};

// What a dataset tells its data sources and their links.
enum TDataEvent {
    deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange,
    deUpdateRecord, deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange,
    deFocusControl
};

enum TFieldType {
    ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency,
    ftBCD, ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo,
    ftGraphic, ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary
};
// "String", "Smallint", ... as the class library names the types in messages.
std::string fieldTypeName(TFieldType Type);

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc };

enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };
enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };
enum TResyncModeItem { rmExact, rmCenter };
using TResyncMode = TSet<TResyncModeItem>;

// A bookmark is the bytes the engine hands out (the record number); empty is
// no bookmark.
using TBookmark = std::string;
using TBookmarkStr = std::string;

// Raises EDatabaseError; a named component puts its name in front, as
// "Table1: Field 'X' not found".
[[noreturn]] void DatabaseError(const std::string& Message, const TComponent* Component = nullptr);
[[noreturn]] void DatabaseErrorFmt(const std::string& Message, std::initializer_list<TVarRec> Args,
                                   const TComponent* Component = nullptr);

// ---- Message texts ----
inline const std::string SDataSetClosed = "Cannot perform this operation on a closed dataset";
inline const std::string SDataSetOpen = "Cannot perform this operation on an open dataset";
inline const std::string SDataSetEmpty = "Cannot perform this operation on an empty dataset";
inline const std::string SDataSetReadOnly = "Cannot modify a read-only dataset";
inline const std::string SNotEditing = "Dataset not in edit or insert mode";
inline const std::string SFieldNotFound = "Field '%s' not found";
inline const std::string SFieldRequired = "Field '%s' must have a value";
inline const std::string SFieldReadOnly = "Field '%s' cannot be modified";
inline const std::string SFieldTypeMismatch = "Type mismatch for field '%s', expecting: %s actual: %s";
inline const std::string SFieldRangeError = "%s is not a valid value for field '%s'. The allowed range is %s to %s";
inline const std::string SFieldAccessError = "Cannot access field '%s' as type %s";
inline const std::string SInvalidIntegerValue = "'%s' is not a valid integer value for field '%s'";
inline const std::string SInvalidFloatValue = "'%s' is not a valid floating point value for field '%s'";
inline const std::string SInvalidBoolValue = "'%s' is not a valid boolean value for field '%s'";
inline const std::string SDuplicateFieldName = "Duplicate field name '%s'";
inline const std::string SFieldIndexError = "Field index out of range";
inline const std::string SRecordNotFound = "Record not found";
inline const std::string SCircularDataLink = "Circular datalinks are not allowed";
inline const std::string SNoTableName = "Missing TableName property";
inline const std::string SDatabaseNameMissing = "Database name missing";
inline const std::string SDuplicateDatabaseName = "Duplicate database name '%s'";
inline const std::string SDatabaseOpen = "Cannot perform this operation on an open database";
inline const std::string SDatabaseClosed = "Cannot perform this operation on a closed database";
inline const std::string SNoEngine = "The database engine is not available";
inline const std::string SRecordLocked = "Record locked by another user.";
inline const std::string SRecordDeleted = "Record/Key deleted.";
inline const std::string SIndexNotFound = "Index '%s' not found";
inline const std::string SNoFieldIndexes = "No index currently active";
inline const std::string SNotIndexField = "Field '%s' is not indexed and cannot be modified";
inline const std::string SNoIndexForFields = "No index for fields '%s'";
inline const std::string SFieldNoDataSet = "Field '%s' has no dataset";
inline const std::string SInvalidCalcType = "Field '%s' cannot be a calculated or lookup field";
