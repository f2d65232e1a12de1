#include "core/edit/edit_operation.h"

#include <QJsonArray>

namespace pdfeditor {

namespace {

const char* const kKinds[] = {"add", "change", "remove", "field"};
const char* const kAnnotationKinds[] = {
    "note",      "highlight", "underline", "strikeout", "freetext", "ink",
    "rectangle", "ellipse",   "line",      "arrow",     "stamp",    "imagestamp",
};

QString S(const std::string& text) {
    return QString::fromStdString(text);
}

std::string U(const QJsonValue& value) {
    return value.toString().toStdString();
}

QJsonArray Points(const QPolygonF& polygon) {
    QJsonArray array;
    for (const QPointF& point : polygon) {
        array.append(point.x());
        array.append(point.y());
    }
    return array;
}

QPolygonF PolygonOf(const QJsonValue& value) {
    const QJsonArray array = value.toArray();
    QPolygonF polygon;
    for (qsizetype i = 0; i + 1 < array.size(); i += 2) {
        polygon.append(QPointF(array[i].toDouble(), array[i + 1].toDouble()));
    }
    return polygon;
}

QJsonArray Polygons(const std::vector<QPolygonF>& polygons) {
    QJsonArray array;
    for (const QPolygonF& polygon : polygons) {
        array.append(Points(polygon));
    }
    return array;
}

std::vector<QPolygonF> PolygonsOf(const QJsonValue& value) {
    std::vector<QPolygonF> polygons;
    for (const QJsonValue& item : value.toArray()) {
        polygons.push_back(PolygonOf(item));
    }
    return polygons;
}

QJsonArray Strings(const std::vector<std::string>& strings) {
    QJsonArray array;
    for (const std::string& text : strings) {
        array.append(S(text));
    }
    return array;
}

std::vector<std::string> StringsOf(const QJsonValue& value) {
    std::vector<std::string> strings;
    for (const QJsonValue& item : value.toArray()) {
        strings.push_back(U(item));
    }
    return strings;
}

QJsonObject AnnotationToJson(const AnnotationData& data) {
    QJsonObject json;
    json["kind"] = kAnnotationKinds[static_cast<int>(data.kind)];
    json["rect"] = QJsonArray{data.rect.x(), data.rect.y(), data.rect.width(), data.rect.height()};
    json["color"] = data.style.color.name(QColor::HexRgb);
    json["opacity"] = data.style.opacity;
    json["lineWidth"] = data.style.lineWidth;
    json["fontSize"] = data.style.fontSize;
    json["contents"] = S(data.contents);
    json["author"] = S(data.author);
    json["modified"] = S(data.modified);
    json["name"] = S(data.name);
    json["quads"] = Polygons(data.quads);
    json["ink"] = Polygons(data.inkPaths);
    json["line"] = QJsonArray{data.line.x1(), data.line.y1(), data.line.x2(), data.line.y2()};
    json["stamp"] = S(data.stampName);
    json["image"] = QString::fromLatin1(data.image.toBase64());
    return json;
}

std::optional<AnnotationData> AnnotationFromJson(const QJsonValue& value) {
    const QJsonObject json = value.toObject();
    AnnotationData data;
    const QString kind = json["kind"].toString();
    bool known = false;
    for (int i = 0; i < static_cast<int>(std::size(kAnnotationKinds)); ++i) {
        if (kind == QLatin1String(kAnnotationKinds[i])) {
            data.kind = static_cast<AnnotationKind>(i);
            known = true;
        }
    }
    const QJsonArray rect = json["rect"].toArray();
    const QJsonArray line = json["line"].toArray();
    if (!known || rect.size() != 4 || line.size() != 4) {
        return std::nullopt;
    }
    data.rect =
        QRectF(rect[0].toDouble(), rect[1].toDouble(), rect[2].toDouble(), rect[3].toDouble());
    data.style.color = QColor(json["color"].toString());
    data.style.opacity = json["opacity"].toDouble(1.0);
    data.style.lineWidth = json["lineWidth"].toDouble(1.0);
    data.style.fontSize = json["fontSize"].toDouble(12.0);
    data.contents = U(json["contents"]);
    data.author = U(json["author"]);
    data.modified = U(json["modified"]);
    data.name = U(json["name"]);
    data.quads = PolygonsOf(json["quads"]);
    data.inkPaths = PolygonsOf(json["ink"]);
    data.line =
        QLineF(line[0].toDouble(), line[1].toDouble(), line[2].toDouble(), line[3].toDouble());
    data.stampName = U(json["stamp"]);
    data.image = QByteArray::fromBase64(json["image"].toString().toLatin1());
    return data;
}

} // namespace

QJsonObject ToJson(const EditOperation& operation) {
    QJsonObject json;
    json["op"] = kKinds[static_cast<int>(operation.kind)];
    json["page"] = operation.page;
    json["target"] = QJsonObject{{"page", operation.target.page},
                                 {"object", operation.target.object},
                                 {"generation", operation.target.generation},
                                 {"name", S(operation.target.name)}};
    if (operation.kind == EditKind::AddAnnotation || operation.kind == EditKind::ChangeAnnotation) {
        json["annotation"] = AnnotationToJson(operation.annotation);
    }
    if (operation.kind == EditKind::SetField) {
        json["field"] = S(operation.field);
        json["value"] = QJsonObject{{"text", S(operation.value.text)},
                                    {"checked", operation.value.checked},
                                    {"state", S(operation.value.state)},
                                    {"choices", Strings(operation.value.choices)}};
    }
    return json;
}

std::optional<EditOperation> EditOperationFromJson(const QJsonObject& json) {
    EditOperation operation;
    const QString kind = json["op"].toString();
    bool known = false;
    for (int i = 0; i < static_cast<int>(std::size(kKinds)); ++i) {
        if (kind == QLatin1String(kKinds[i])) {
            operation.kind = static_cast<EditKind>(i);
            known = true;
        }
    }
    if (!known || !json["page"].isDouble() || !json["target"].isObject()) {
        return std::nullopt;
    }
    operation.page = json["page"].toInt(-1);
    const QJsonObject target = json["target"].toObject();
    operation.target.page = target["page"].toInt(-1);
    operation.target.object = target["object"].toInt();
    operation.target.generation = target["generation"].toInt();
    operation.target.name = U(target["name"]);
    if (operation.kind == EditKind::AddAnnotation || operation.kind == EditKind::ChangeAnnotation) {
        std::optional<AnnotationData> data = AnnotationFromJson(json["annotation"]);
        if (!data) {
            return std::nullopt;
        }
        operation.annotation = std::move(*data);
    }
    if (operation.kind == EditKind::SetField) {
        const QJsonObject value = json["value"].toObject();
        if (!json["field"].isString() || value.isEmpty()) {
            return std::nullopt;
        }
        operation.field = U(json["field"]);
        operation.value.text = U(value["text"]);
        operation.value.checked = value["checked"].toBool();
        operation.value.state = U(value["state"]);
        operation.value.choices = StringsOf(value["choices"]);
    }
    return operation;
}

} // namespace pdfeditor
