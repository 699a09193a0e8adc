#include "samples.h"

#include <algorithm>
#include <cmath>

void Samples::addAll(const Samples &other)
{
    m_values.insert(m_values.end(), other.m_values.begin(), other.m_values.end());
    m_failures += other.m_failures;
}

double Samples::median() const
{
    if (m_values.empty())
        return std::nan("");
    std::vector<double> sorted = m_values;
    std::sort(sorted.begin(), sorted.end());
    const size_t middle = sorted.size() / 2;
    return sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

double Samples::min() const
{
    return m_values.empty() ? std::nan("") : *std::min_element(m_values.begin(), m_values.end());
}

double Samples::max() const
{
    return m_values.empty() ? std::nan("") : *std::max_element(m_values.begin(), m_values.end());
}

QString Samples::text(const QString &unit, int decimals, const QString &runsName) const
{
    const QString failed = m_failures ? QStringLiteral("%1 failed").arg(m_failures) : QString();
    if (m_values.empty())
        return failed.isEmpty() ? QStringLiteral("n/a") : QStringLiteral("n/a (%1)").arg(failed);
    const auto number = [decimals](double v) { return QString::number(v, 'f', decimals); };
    QString text = number(median()) + unit;
    const QString runs = runsName.isEmpty() ? QStringLiteral("runs") : runsName;
    if (m_values.size() > 1)
        text += QStringLiteral(" (%1–%2, %3 %4")
                        .arg(number(min()), number(max()))
                        .arg(m_values.size())
                        .arg(runs);
    else
        text += QStringLiteral(" (1 %1").arg(runs.chopped(runs.endsWith(QLatin1Char('s')) ? 1 : 0));
    if (!failed.isEmpty())
        text += QStringLiteral("; ") + failed;
    return text + QLatin1Char(')');
}
