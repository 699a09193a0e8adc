#pragma once

#include <QString>

#include <vector>

// The values of one figure over its runs, and the runs that gave none. The median decides a
// goal; the spread (smallest to largest) is shown beside it. A figure with no value, or with a
// run that failed, cannot meet a goal.
class Samples
{
public:
    void add(double value) { m_values.push_back(value); }
    void addFailure() { ++m_failures; }
    void addAll(const Samples &other);

    bool valid() const { return !m_values.empty() && m_failures == 0; }
    bool empty() const { return m_values.empty(); }
    int count() const { return int(m_values.size()); }
    int failures() const { return m_failures; }
    const std::vector<double> &values() const { return m_values; }

    double median() const; // NaN when there is no value
    double min() const;
    double max() const;

    // "12.3 ms (11.9–13.0, 7 runs)", with the failed runs named; "n/a" when there is no value.
    QString text(const QString &unit, int decimals = 1, const QString &runsName = {}) const;

private:
    std::vector<double> m_values;
    int m_failures = 0;
};
