// What the server answers about a document: a descriptor's hover, the
// FORMAT statement a label names and the statements that use one, the
// document's FORMAT statements, and its diagnostics. Each answer is the
// JSON of the protocol's result, positions in the agreed encoding.
#pragma once

#include <nlohmann/json.hpp>

#include "document_analysis.h"
#include "text_document.h"

struct SFeatureInput {
    const CTextDocument& doc;
    const SDocumentAnalysis& analysis;
    const SServerSettings& settings;
    PositionEncoding encoding;
};

// A Hover, or null where the position holds no descriptor.
nlohmann::json HoverAt(const SFeatureInput& in, STextPosition pos);
// The Location of the FORMAT statement a label in an I/O statement names,
// or of where a named constant given as its format has its value; or null.
nlohmann::json DefinitionAt(const SFeatureInput& in, STextPosition pos);
// The Locations of the I/O statements that use the FORMAT statement or
// format string at pos (the FORMAT statement too with bDeclaration).
nlohmann::json ReferencesAt(const SFeatureInput& in, STextPosition pos, bool bDeclaration);
// The DocumentSymbols of the FORMAT statements.
nlohmann::json DocumentSymbols(const SFeatureInput& in);
// The command that opens a statement in the window: its arguments are the
// document's URI, the line and the byte column the window opens it at. (An
// editor's own command of that kind keeps the shorter name.)
inline constexpr const char* kEditFormatCommand = "quillmark.server.editFormat";

// The CodeActions at pos: "Edit FORMAT in Quillmark" on a FORMAT statement,
// a format string, or an I/O statement that names a FORMAT's label.
nlohmann::json CodeActionsAt(const SFeatureInput& in, STextPosition pos);
// The diagnostics of publishDiagnostics.
nlohmann::json Diagnostics(const SFeatureInput& in);
