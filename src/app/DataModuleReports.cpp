// The data module's report data connections: four tables served to the
// stored report project by name, and a connection without handlers.
#include "app/DataModule.h"
#include "reporting/project/RSConDS.h"
#include "xbase/Qmtable.h"

void TDataModule1::createReportConnections() {
    auto served = [this](const char* name, TDataSet* table) {
        auto* connection = new TRSDataSetConnection(this);
        connection->SetName(name);
        connection->SetRuntimeVisibility(rtDeveloper);
        connection->SetDataSet(table);
        return connection;
    };
    ItemRSDataSet = served("ItemRSDataSet", ItemTable);
    PaymentRSDataset = served("PaymentRSDataset", PaymentTable);
    PaymentDtlRSDataset = served("PaymentDtlRSDataset", PaymentDtlTable);
    InsRSDataSet = served("InsRSDataSet", InsTable);

    RSCustomConnection1 = new TRSCustomConnection(this);
    RSCustomConnection1->SetName("RSCustomConnection1");
    RSCustomConnection1->SetRuntimeVisibility(rtDeveloper);
    // Lines without "=": they rename nothing.
    RSCustomConnection1->FieldAliasList()->Add("paymenttable.id");
    RSCustomConnection1->FieldAliasList()->Add("paymenttable.postref");
}
