#pragma once
// The persistent field objects of the data module's tables: one per record
// field (in the layout's order, of the class the engine glue gives that
// xBase type), plus the calculated fields, with the labels, display widths,
// visibility, display formats and edit masks every grid and form inherits.
// The values of calculated fields come from the tables' OnCalcFields events.
class TDataModule1;

namespace DataModuleFields {

// Creates the field objects of every table that has persistent fields,
// owned by the module and named after table and field ("PatientTableRECNAME").
// REQUIRES: the tables are closed and have no fields yet.
void CreateFields(TDataModule1* Module);

}  // namespace DataModuleFields
