#include "app/DocumentScope.h"

#include "data/DbTables.h"
#include "xbengine/DurableScope.h"
#include "xbengine/XbEngine.h"

TDocumentScope::TDocumentScope() { xb_BeginScope(); }

TDocumentScope::~TDocumentScope() {
    if (open_)
        xb_EndScope();
}

void TDocumentScope::end() {
    if (!open_)
        return;
    open_ = false;
    if (!xb_EndScope())
        throw EDatabaseError("Cannot write the document's files to disk.");
}

uint64_t TDocumentScope::flushes() { return xb::durableScopeFlushes(); }
