#include "LabelFields.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QByteArray LabelFieldsJson(const std::vector<const zpl::Label *> &labels)
{
    QJsonArray all;
    for (const zpl::Label *label : labels) {
        QJsonArray fields;
        for (const zpl::TextField &field : label->texts)
            fields.append(QJsonObject{{"x", field.at.x()}, {"y", field.at.y()}, {"data", field.data}});
        all.append(QJsonObject{{"fields", fields}});
    }
    return QJsonDocument(QJsonObject{{"labels", all}}).toJson(QJsonDocument::Compact);
}
