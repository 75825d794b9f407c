#include "PrintError.h"

PrintError::PrintError(const QString &description)
    : m_description(description), m_what(description.toUtf8())
{
}
