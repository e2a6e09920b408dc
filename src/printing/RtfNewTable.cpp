#include "printing/RtfNewTable.h"

#include <algorithm>
#include <map>

namespace veltor {

RtfNewTable::RtfNewTable(int rows, int columns)
    : m_rows(static_cast<size_t>(std::max(rows, 1)),
             std::vector<Cell>(static_cast<size_t>(std::max(columns, 1))))
{
}

int RtfNewTable::columnCount(int row) const
{
    if (row < 1 || row > rowCount())
        return 0;
    return static_cast<int>(m_rows[row - 1].size());
}

bool RtfNewTable::hasCell(int row, int column) const
{
    return column >= 1 && column <= columnCount(row);
}

const std::string &RtfNewTable::text(int row, int column) const
{
    return m_rows[row - 1][column - 1].text;
}

void RtfNewTable::setText(int row, int column, std::string_view text)
{
    cell(row, column).text.assign(text);
}

void RtfNewTable::setBold(int row, int column, bool bold)
{
    cell(row, column).bold = bold;
}

void RtfNewTable::addRow()
{
    m_rows.emplace_back(m_rows.back().size());
}

void RtfNewTable::render(std::string &out, int width, int codePage) const
{
    // The row definition depends only on the number of cells; rows share it.
    std::map<size_t, std::string> definitions;
    auto definition = [&](size_t cells) -> const std::string & {
        auto it = definitions.find(cells);
        if (it != definitions.end())
            return it->second;
        static constexpr std::string_view Border = "\\brdrs\\brdrw10 ";
        std::string text = "\\trowd\\trgaph108\\trleft-108";
        for (const char *side : {"t", "l", "b", "r", "h", "v"})
            text.append("\\trbrdr").append(side).append(Border);
        for (size_t c = 1; c <= cells; ++c) {
            for (const char *side : {"t", "l", "b", "r"})
                text.append("\\clbrdr").append(side).append(Border);
            const long right = -108 + static_cast<long>(width) * static_cast<long>(c)
                                          / static_cast<long>(cells);
            text.append("\\cellx").append(std::to_string(right));
        }
        text.append("\n\\pard\\plain\\intbl\\ql\\uc1 ");
        return definitions.emplace(cells, std::move(text)).first->second;
    };
    for (const auto &row : m_rows) {
        out.append(definition(row.size()));
        for (const Cell &cell : row) {
            out.append(cell.bold ? "{\\b " : "{");
            appendRtfText(out, cell.text, 1, codePage);
            out.append("}\\cell ");
        }
        out.append("\\row\n");
    }
}

} // namespace veltor
