#include "data/Db.h"

std::string fieldTypeName(TFieldType Type) {
    static const char* const names[] = {
        "Unknown", "String", "Smallint", "Integer", "Word", "Boolean", "Float", "Currency",
        "BCD", "Date", "Time", "DateTime", "Bytes", "VarBytes", "AutoInc", "Blob", "Memo",
        "Graphic", "FmtMemo", "ParadoxOle", "DBaseOle", "TypedBinary"};
    return names[Type];
}

void DatabaseError(const std::string& Message, const TComponent* Component) {
    if (Component && !Component->Name().empty()) throw EDatabaseError(Component->Name() + ": " + Message);
    throw EDatabaseError(Message);
}

void DatabaseErrorFmt(const std::string& Message, std::initializer_list<TVarRec> Args,
                      const TComponent* Component) {
    DatabaseError(Format(Message, Args), Component);
}
