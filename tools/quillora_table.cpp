// Prints the plant table as UTF-8 TSV: one line per row, eleven cells (display name, photo
// stem and the nine values exactly as stored). A tab or a line break inside a value would
// break the format, so the program refuses to print one.

#include "herbcatalogue.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int main()
{
    std::string table;
    for (HerbNumber n = 1; n <= HerbCatalogue::count(); ++n) {
        const HerbEntry *row = HerbCatalogue::entryAt(n);
        std::vector<const char *> cells = {row->displayName, row->photoStem};
        cells.insert(cells.end(), row->values.begin(), row->values.end());
        for (size_t i = 0; i < cells.size(); ++i) {
            const char *cell = cells[i];
            if (std::strpbrk(cell, "\t\r\n")) {
                std::fprintf(stderr, "quillora-table: row %d (%s) holds a tab or a line break\n", n,
                             row->displayName);
                return 1;
            }
            table += cell;
            table += i + 1 == cells.size() ? '\n' : '\t';
        }
    }
    std::fputs(table.c_str(), stdout);
    return 0;
}
