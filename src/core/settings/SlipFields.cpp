// SPDX-License-Identifier: GPL-3.0-or-later
#include "SlipFields.h"

#include <vector>

namespace kvitanky {

const QList<SlipFieldDef> &slipFields()
{
    using enum SlipField;
    using enum LayoutGroup;
    static const QList<SlipFieldDef> fields = {
#define KVITANKY_SLIP_FIELD_ROW(name, ...) {name, QStringLiteral(#name), __VA_ARGS__},
        KVITANKY_SLIP_FIELDS(KVITANKY_SLIP_FIELD_ROW)
#undef KVITANKY_SLIP_FIELD_ROW
    };
    return fields;
}

const SlipFieldKeys &slipFieldKeys(SlipField field)
{
    // Built once: composition reads some sixty of them for every slip.
    static const std::vector<SlipFieldKeys> table = [] {
        std::vector<SlipFieldKeys> t;
        for (const SlipFieldDef &f : slipFields()) {
            const QString base = QStringLiteral("EditLayout") + f.name;
            SlipFieldKeys k{{base + "X", base + "Y", base + "Dist"}, {}};
            if (f.secondRow)
                k.second = {base + "X2", base + "Y2", base + "Dist2"};
            else if (f.hasSecond)
                k.second = {base + "SX", base + "SY", base + "SDist"};
            t.push_back(k);
        }
        return t;
    }();
    return table[size_t(field)];
}

} // namespace kvitanky
