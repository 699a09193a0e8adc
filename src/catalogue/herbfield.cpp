#include "herbfield.h"

namespace {

constexpr std::array<const char *, kHerbFieldCount> kCaptions = {
        "种名：",   "别名：",     "科名：",     "属名：",     "习性：",
        "花果期：", "拉丁学名：", "药用部位：", "药用价值：",
};

} // namespace

QString herbFieldCaption(HerbField field)
{
    return QString::fromUtf8(kCaptions[herbFieldIndex(field)]);
}

QString herbFieldPlaceholder(HerbField field)
{
    QString caption = herbFieldCaption(field);
    caption.chop(1);
    return caption;
}

QString herbFieldTextBox(HerbField field)
{
    return QStringLiteral("Text%1").arg(herbFieldIndex(field) + 1);
}
