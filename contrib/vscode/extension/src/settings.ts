// What the extension reads from its configuration, as plain values: the
// server's command and settings, the languages it serves, and the check's
// findings as the Problems view takes them. Nothing here needs VS Code.

// The language ids Fortran extensions give Fortran files: VS Code's own
// and those of the Modern Fortran extension.
export const fortranLanguages = ["fortran", "FortranFixedForm", "FortranFreeForm"];

export interface Configuration {
    get<T>(section: string, defaultValue: T): T;
}

export interface ServerSettings {
    strictTable: boolean;
    sourceForm: string;
    exactSamples: boolean;
}

export function serverSettings(config: Configuration): ServerSettings {
    return {
        strictTable: config.get("strictTable", false),
        sourceForm: config.get("sourceForm", "suffix"),
        exactSamples: config.get("exactSamples", false),
    };
}

// The files the client hands the server: every Fortran language, on disk
// or not yet saved.
export function documentSelector(): { scheme: string; language: string }[] {
    const selector: { scheme: string; language: string }[] = [];
    for (const language of fortranLanguages)
        for (const scheme of ["file", "untitled"]) selector.push({ scheme, language });
    return selector;
}

// One finding of `quillmark-text --check --diagnostics=json`, placed in
// VS Code's terms: lines and characters from 0.
export interface Finding {
    file: string;
    line: number;
    column: number; // bytes from 1, as the checker counts
    severity: "error" | "warning" | "note";
    rule: string;
    message: string;
}

interface CheckFile {
    file: string;
    findings?: { line: number; column: number; severity: Finding["severity"]; rule: string; message: string }[];
}

// The findings of the checker's JSON document; an empty list for one that
// does not read.
export function findingsOf(json: string): Finding[] {
    let document: { files?: CheckFile[] };
    try {
        document = JSON.parse(json);
    } catch {
        return [];
    }
    const findings: Finding[] = [];
    for (const file of document.files ?? [])
        for (const f of file.findings ?? [])
            if (f.line > 0)
                findings.push({ file: file.file, line: f.line, column: f.column, severity: f.severity, rule: f.rule, message: f.message });
    return findings;
}
