#pragma once

#include <QString>

#include <stdexcept>

// The numbers the program reports with a run-time error. They keep the values
// users of the original Windows program know from its error reports.
namespace ErrorNumber {
constexpr int Overflow = 6;
constexpr int DivisionByZero = 11;
constexpr int TypeMismatch = 13;
constexpr int InvalidUseOfNull = 94;
// Reading the item data of a combo with no entry selected.
constexpr int InvalidPropertyArrayIndex = 381;
constexpr int NoCurrentRecord = 3021;
constexpr int DuplicateValue = 3022;
constexpr int ItemNotFound = 3265;
constexpr int ObjectClosed = 3704;
constexpr int ObjectOpen = 3705;
constexpr int ProviderError = -2147467259;
} // namespace ErrorNumber

// A run-time error: a number and a description, raised by data access and
// arithmetic and caught by the window handler that decides what the user sees.
class RuntimeError : public std::runtime_error
{
public:
    RuntimeError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), m_number(number), m_description(description)
    {
    }

    int number() const noexcept { return m_number; }
    QString description() const { return m_description; }

private:
    int m_number;
    QString m_description;
};
