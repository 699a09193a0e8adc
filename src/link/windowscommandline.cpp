#include "windowscommandline.h"

namespace {

QString quoted(const QString &word)
{
    if (!word.isEmpty() && !word.contains(u' ') && !word.contains(u'\t') && !word.contains(u'"'))
        return word;
    QString text(u'"');
    qsizetype backslashes = 0;
    for (const QChar c : word) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        text += QString(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\') + c;
        backslashes = 0;
    }
    return text + QString(backslashes * 2, u'\\') + u'"';
}

} // namespace

QString windowsCommandLine(const QStringList &command)
{
    if (command.isEmpty())
        return QString();
    QString line = quoted(QString(command.first()).replace(u'/', u'\\'));
    for (const QString &word : command.mid(1))
        line += u' ' + quoted(word);
    return line;
}
