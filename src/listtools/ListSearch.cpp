#include "listtools/ListSearch.h"

#include "text/OrfoUnit.h"

namespace veltor {

std::string searchRowText(int cols, const std::function<const std::string &(int col)> &cell)
{
    std::string text;
    for (int c = 0; c < cols; ++c) {
        text += cell(c);
        text += "\r\n";
    }
    return text;
}

int findListRow(int rowCount, int currentRow, std::string_view text,
                const std::function<std::string(int row)> &rowText)
{
    if (text.empty())
        return 0;
    const std::string needle = UpperCaseRu(text);
    const int start = currentRow <= 1 ? 1 : currentRow + 1;
    for (int row = start; row < rowCount; ++row) {
        if (UpperCaseRu(rowText(row)).find(needle) != std::string::npos)
            return row;
    }
    return 0;
}

} // namespace veltor
