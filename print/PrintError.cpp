#include "PrintError.h"

PrintError::PrintError(int number, const QString &description)
    : m_number(number), m_description(description), m_what(description.toUtf8())
{
}
