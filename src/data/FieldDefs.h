#pragma once
// Descriptions of a table's fields and indexes as the engine reports them.
#include <string>
#include <vector>

#include "data/Db.h"

class TFieldDef {
public:
    TFieldDef(std::string Name, TFieldType DataType, int Size, bool Required, int FieldNo)
        : name_(std::move(Name)), dataType_(DataType), size_(Size), required_(Required), fieldNo_(FieldNo) {}
    const std::string& Name() const { return name_; }
    TFieldType DataType() const { return dataType_; }
    int Size() const { return size_; }
    bool Required() const { return required_; }
    int FieldNo() const { return fieldNo_; }
    void SetFieldNo(int Value) { fieldNo_ = Value; }
    // Decimals of a float field.
    int Precision() const { return precision_; }
    void SetPrecision(int Value) { precision_ = Value; }

private:
    std::string name_;
    TFieldType dataType_;
    int size_;
    bool required_;
    int fieldNo_;
    int precision_ = 0;
};

class TFieldDefs {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    const TFieldDef& Items(int Index) const;
    TFieldDef& Add(const std::string& Name, TFieldType DataType, int Size, bool Required);
    void Clear() { items_.clear(); }
    // Without regard to case; -1 when absent.
    int IndexOf(const std::string& Name) const;
    // Raises "Field '%s' not found".
    const TFieldDef& Find(const std::string& Name) const;

private:
    std::vector<TFieldDef> items_;
};

enum TIndexOption { ixPrimary, ixUnique, ixDescending, ixCaseInsensitive, ixExpression };
using TIndexOptions = TSet<TIndexOption>;

class TIndexDef {
public:
    TIndexDef(std::string Name, std::string Fields, TIndexOptions Options)
        : name_(std::move(Name)), fields_(std::move(Fields)), options_(Options) {}
    const std::string& Name() const { return name_; }
    // The key fields separated by ";" (empty for an expression index).
    const std::string& Fields() const { return fields_; }
    const std::string& Expression() const { return expression_; }
    void SetExpression(const std::string& Value) { expression_ = Value; }
    TIndexOptions Options() const { return options_; }

private:
    std::string name_;
    std::string fields_;
    std::string expression_;
    TIndexOptions options_;
};

class TIndexDefs {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    const TIndexDef& Items(int Index) const;
    TIndexDef& Add(const std::string& Name, const std::string& Fields, TIndexOptions Options);
    void Clear() { items_.clear(); }
    // Without regard to case; -1 when absent.
    int IndexOf(const std::string& Name) const;
    // Raises "Index '%s' not found".
    const TIndexDef& Find(const std::string& Name) const;

private:
    std::vector<TIndexDef> items_;
};
