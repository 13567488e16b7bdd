// Quillmark in VS Code: the language server quillmark-lsp for Fortran files
// (hover, diagnostics, definition, references, symbols), beside any other
// Fortran extension, and two commands: Quillmark: Edit FORMAT opens the
// statement at the cursor in the Quillmark window, as the task recipe does;
// Quillmark: Check workspace puts quillmark-text --check's findings in the
// Problems view.
import { execFile, spawn } from "child_process";
import * as vscode from "vscode";
import { LanguageClient, LanguageClientOptions, ServerOptions } from "vscode-languageclient/node";

import { byteColumn, utf16Character } from "./column";
import { documentSelector, findingsOf, serverSettings } from "./settings";

let client: LanguageClient | undefined;

function configuration(): vscode.WorkspaceConfiguration {
    return vscode.workspace.getConfiguration("quillmark");
}

function startServer(context: vscode.ExtensionContext): void {
    const serverOptions: ServerOptions = { command: configuration().get("serverPath", "quillmark-lsp") };
    const clientOptions: LanguageClientOptions = {
        documentSelector: documentSelector(),
        initializationOptions: serverSettings(configuration()),
        synchronize: { configurationSection: "quillmark" },
    };
    client = new LanguageClient("quillmark", "Quillmark", serverOptions, clientOptions);
    void client.start();
    context.subscriptions.push({ dispose: () => void client?.stop() });
}

// Saves the file, opens the statement at the cursor in the window, and
// reloads the file when the window has rewritten it (exit status 0).
async function editFormat(): Promise<void> {
    const editor = vscode.window.activeTextEditor;
    if (!editor || editor.document.uri.scheme !== "file") return;
    const document = editor.document;
    if (!(await document.save()) && document.isDirty) return;
    const position = editor.selection.active;
    const column = byteColumn(document.lineAt(position.line).text, position.character);
    const window = spawn(configuration().get("windowPath", "quillmark"), [document.uri.fsPath, String(position.line + 1), String(column)]);
    let messages = "";
    window.stderr.on("data", (data: Buffer) => (messages += data.toString()));
    window.on("error", (error) => void vscode.window.showErrorMessage(error.message));
    window.on("close", (code) => {
        if (code === 0) void vscode.commands.executeCommand("workbench.action.files.revert");
        else if (messages.trim()) void vscode.window.showWarningMessage(messages.trim());
    });
}

const severities: Record<string, vscode.DiagnosticSeverity> = {
    error: vscode.DiagnosticSeverity.Error,
    warning: vscode.DiagnosticSeverity.Warning,
    note: vscode.DiagnosticSeverity.Information,
};

// The workspace's findings in the Problems view, one collection for the run.
function checkWorkspace(problems: vscode.DiagnosticCollection): void {
    const folders = (vscode.workspace.workspaceFolders ?? []).map((f) => f.uri.fsPath);
    if (folders.length === 0) return;
    const args = ["--diagnostics=json", "--check", ...folders];
    execFile(configuration().get("checkerPath", "quillmark-text"), args, { maxBuffer: 1 << 28 }, async (error, stdout) => {
        const findings = findingsOf(stdout);
        if (error && findings.length === 0 && !stdout) {
            void vscode.window.showErrorMessage(error.message);
            return;
        }
        const byFile = new Map<string, vscode.Diagnostic[]>();
        for (const f of findings) {
            const lines = (await vscode.workspace.fs.readFile(vscode.Uri.file(f.file))).toString().split(/\r?\n/);
            const character = utf16Character(lines[f.line - 1] ?? "", f.column);
            const range = new vscode.Range(f.line - 1, character, f.line - 1, character);
            const diagnostic = new vscode.Diagnostic(range, f.message, severities[f.severity]);
            diagnostic.source = "quillmark";
            diagnostic.code = f.rule;
            byFile.set(f.file, [...(byFile.get(f.file) ?? []), diagnostic]);
        }
        problems.clear();
        for (const [file, diagnostics] of byFile) problems.set(vscode.Uri.file(file), diagnostics);
    });
}

export function activate(context: vscode.ExtensionContext): void {
    startServer(context);
    const problems = vscode.languages.createDiagnosticCollection("quillmark-check");
    context.subscriptions.push(
        problems,
        vscode.commands.registerCommand("quillmark.editFormat", editFormat),
        vscode.commands.registerCommand("quillmark.checkWorkspace", () => checkWorkspace(problems))
    );
}

export function deactivate(): Thenable<void> | undefined {
    return client?.stop();
}
