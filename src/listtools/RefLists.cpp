#include "listtools/RefLists.h"

#include "storage/Schema.h"
#include "text/Convert.h"

namespace veltor {

int addReferenceRow(LoadedTable &table)
{
    TTableHeader &h = table.Header;
    const int nomField = FieldIndex(h, schema::NOM);
    const int nom = h.RecordCount > 0 ? strToInt(GetField(h, table.Data, h.RecordCount, nomField)) + 1 : 1;
    const int record = AppendBlankRecord(table);
    SetField(table, record, nomField, std::to_string(nom));
    return record;
}

void storeReferenceCell(LoadedTable &table, int record, int field, const std::string &text)
{
    SetField(table, record, field, text);
}

} // namespace veltor
