// The ZPL commands this printer knows, one row each: what the command does
// to the format being built (a Printer handler), or what it keeps in the
// printer across formats (a setting of Settings.cpp), and which of its
// parameters are lengths that ^MU's units convert to dots before either sees
// them. A command without a row is noted as unknown and skipped.
//
// To add a command:
// 1. Write its handler as a Printer member (Printer.cpp for format and field
//    commands, PrinterFieldCommands.cpp for the other field commands,
//    PrinterMemory.cpp for stored formats and objects), or, when it only
//    changes what persists, a Set... function in Settings.cpp with a field
//    in PrinterState (FieldState.h).
// 2. Add its row below: {"^XY", {handler, {lengths}}} or
//    {"^XY", {&Set..., {lengths}}}. `lengths` are the indices of the
//    parameters measured in dots, inches or millimetres (0 the first).
// 3. A row in tst_render (what it draws) or tst_settings (what it keeps),
//    with a label that leaves its defaults out and one under ^MU.
// Fonts (^A0, ^AD, ^A@ ...) and barcodes (^BC, ^BQ ...) are two families of
// one row each: their type is the name's second character. A barcode's
// height parameter depends on the type (BarHeightParameter, render/symbols).

#include "Printer.h"

#include "Settings.h"
#include "symbols/BarcodeField.h"

namespace zpl {

const Printer::Command *Printer::find(const Token &token)
{
    // Prefix and delimiter changes act in the tokenizer; comments, media
    // handling and printer set-up do nothing to the image: `ignore`.
    static const QHash<QByteArray, Command> table = {
        // Formats and fields
        {"^XA", {&Printer::startFormat}},        {"^XZ", {&Printer::endFormat}},
        {"^FO", {&Printer::fieldOrigin, {0, 1}}},
        {"^FT", {&Printer::fieldOrigin, {0, 1}}},
        {"^FD", {&Printer::fieldData}},          {"^FV", {&Printer::fieldData}},
        {"^FS", {&Printer::fieldSeparator}},     {"^FH", {&Printer::hexIndicator}},
        {"^FR", {&Printer::fieldReverse}},       {"^FB", {&Printer::fieldBlock, {0}}},
        {"^FP", {&Printer::fieldDirection}},     {"^FN", {&Printer::fieldNumber}},
        {"^TB", {&Printer::textBlock, {1, 2}}},
        {"^FC", {&Printer::clock}},              {"^SN", {&Printer::serial}},
        {"^SF", {&Printer::serial}},             {"^PQ", {&Printer::quantity}},
        {"^LS", {&Printer::labelShift, {0}}},
        // Contents: text, barcodes, graphics
        {"^A", {&Printer::font, {1, 2}}},
        {"^B", {&Printer::barcode}},
        {"^CW", {&Printer::fontAlias}},          {"^GS", {&Printer::graphicSymbol}},
        {"^GB", {&Printer::graphicShape, {0, 1, 2}}},
        {"^GC", {&Printer::graphicShape, {0, 1}}},
        {"^GD", {&Printer::graphicShape, {0, 1, 2}}},
        {"^GE", {&Printer::graphicShape, {0, 1, 2}}},
        {"^GF", {&Printer::graphicField}},
        // What persists across formats
        {"^BY", {&SetBarDefaults, {0, 2}}},   {"^CF", {&SetDefaultFont}},
        {"^FW", {&SetFieldDefaults}},      {"^LH", {&SetLabelHome, {0, 1}}},
        {"^LR", {&SetReverseAll}},         {"^PW", {&SetLabelSize, {0}}},
        {"^LL", {&SetLabelSize, {0}}},     {"^MN", {&SetMediaTracking}},
        {"^PO", {&SetInvert}},             {"^PR", {&SetPrintRate}},
        {"~SD", {&SetDarkness}},           {"^MD", {&SetMediaDarkness}},
        {"^CI", {&SetCodePage}},           {"^MU", {&Printer::units}},
        // The printer's memory
        {"^DF", {&Printer::defineFormat}},       {"^XF", {&Printer::recallFormat}},
        {"~DG", {&Printer::downloadGraphic}},    {"~DY", {&Printer::downloadObject}},
        {"~DU", {&Printer::downloadFont}},
        {"^XG", {&Printer::recallGraphic}},      {"^IM", {&Printer::recallGraphic}},
        {"^IL", {&Printer::recallGraphic}},      {"^ID", {&Printer::deleteObject}},
        {"^HW", {&Printer::directory}},          {"^IS", {&Printer::storeLabelImage}},
        // Host status
        {"~HS", {&Printer::query}},              {"~HI", {&Printer::query}},
        {"~HQ", {&Printer::query}},
        // No effect on the image
        {"^CC", {&Printer::ignore}}, {"~CC", {&Printer::ignore}}, {"^CT", {&Printer::ignore}},
        {"~CT", {&Printer::ignore}}, {"^CD", {&Printer::ignore}}, {"~CD", {&Printer::ignore}},
        {"^FX", {&Printer::ignore}}, {"^MM", {&Printer::ignore}}, {"^MT", {&Printer::ignore}},
        {"^MC", {&Printer::ignore}}, {"^JM", {&Printer::ignore}}, {"^PM", {&Printer::ignore}},
        {"^JU", {&Printer::ignore}}, {"^JZ", {&Printer::ignore}}, {"~JA", {&Printer::ignore}},
        {"^PF", {&Printer::ignore}}, {"~TA", {&Printer::ignore}}, {"~JS", {&Printer::ignore}},
        {"^KL", {&Printer::ignore}}, {"^SZ", {&Printer::ignore}}, {"^XB", {&Printer::ignore}},
        {"^PA", {&Printer::ignore}},
    };
    auto row = table.constFind(token.command());
    if (row == table.cend() && token.prefix == '^' && (token.name.startsWith('A') || token.name.startsWith('B')))
        row = table.constFind(token.command().left(2));
    return row == table.cend() ? nullptr : &*row;
}

QList<int> Printer::measured(const Command &command, const Token &token)
{
    if (command.run != &Printer::barcode)
        return command.measured;
    const int height = BarHeightParameter(token.name.size() > 1 ? token.name.at(1) : 0);
    return height < 0 ? QList<int>() : QList<int>{height};
}

} // namespace zpl
