// The extension's plain parts, and its activation with the vscode module and
// the language client stood in: what it hands the server and what commands
// it registers. Runs under node --test, without VS Code.
const test = require("node:test");
const assert = require("node:assert");
const Module = require("node:module");

const { byteColumn, utf16Character } = require("../out/column");
const { documentSelector, findingsOf, serverSettings, fortranLanguages } = require("../out/settings");

test("columns convert between UTF-16 offsets and byte columns", () => {
    // 'A', e acute (2 bytes), a CJK ideograph (3), an emoji (4, two UTF-16 units), 'B'
    const line = "A\u00e9\u4e2d\u{1F600}B";
    const cases = [
        [0, 1],
        [1, 2],
        [2, 4],
        [3, 7],
        [5, 11],
        [6, 12],
    ];
    for (const [character, column] of cases) {
        assert.strictEqual(byteColumn(line, character), column, `character ${character}`);
        assert.strictEqual(utf16Character(line, column), character, `column ${column}`);
    }
    assert.strictEqual(byteColumn(line, 99), 12);
    assert.strictEqual(byteColumn("      WRITE (6, '(I5)') N", 17), 18);
});

test("the checker's JSON becomes findings; a document that does not read gives none", () => {
    const json = JSON.stringify({
        files: [
            { file: "/w/a.f", read: true, findings: [{ rule: "refused-item", severity: "error", message: "Expected REAL", line: 7, column: 7 }] },
            { file: "/w/b.f", read: false },
        ],
    });
    assert.deepStrictEqual(findingsOf(json), [
        { file: "/w/a.f", line: 7, column: 7, severity: "error", rule: "refused-item", message: "Expected REAL" },
    ]);
    assert.deepStrictEqual(findingsOf("not json"), []);
});

test("activation starts the server for every Fortran language with the settings, and registers both commands", () => {
    const started = [];
    const commands = new Map();
    const config = { exactSamples: true, sourceForm: "fixed", serverPath: "/opt/q/quillmark-lsp" };
    const vscode = {
        workspace: { getConfiguration: () => ({ get: (key, fallback) => (key in config ? config[key] : fallback) }) },
        languages: { createDiagnosticCollection: (name) => ({ name, dispose() {} }) },
        commands: { registerCommand: (name, fn) => (commands.set(name, fn), { dispose() {} }) },
        DiagnosticSeverity: { Error: 0, Warning: 1, Information: 2 },
        window: {},
    };
    class LanguageClient {
        constructor(id, name, serverOptions, clientOptions) {
            started.push({ id, serverOptions, clientOptions });
        }
        start() {
            return Promise.resolve();
        }
        stop() {
            return Promise.resolve();
        }
    }
    const stand_ins = { vscode, "vscode-languageclient/node": { LanguageClient } };
    const load = Module._load;
    Module._load = (request, ...rest) => (request in stand_ins ? stand_ins[request] : load(request, ...rest));
    try {
        const extension = require("../out/extension");
        const context = { subscriptions: [] };
        extension.activate(context);
    } finally {
        Module._load = load;
    }
    assert.strictEqual(started.length, 1);
    assert.deepStrictEqual(started[0].serverOptions, { command: "/opt/q/quillmark-lsp" });
    const languages = new Set(started[0].clientOptions.documentSelector.map((s) => s.language));
    assert.deepStrictEqual([...languages].sort(), [...fortranLanguages].sort());
    assert.deepStrictEqual(started[0].clientOptions.initializationOptions, { strictTable: false, sourceForm: "fixed", exactSamples: true });
    assert.deepStrictEqual([...commands.keys()].sort(), ["quillmark.checkWorkspace", "quillmark.editFormat"]);
    assert.deepStrictEqual(documentSelector().length, 6);
    assert.deepStrictEqual(serverSettings({ get: (_k, d) => d }), { strictTable: false, sourceForm: "suffix", exactSamples: false });
});
