// VS Code counts a position's character in UTF-16 code units; Quillmark
// and quillmark-text count columns in bytes from 1 (UTF-8).

// The byte column (from 1) of the character at a UTF-16 offset in a line.
export function byteColumn(line: string, utf16Character: number): number {
    const before = line.slice(0, Math.max(0, Math.min(utf16Character, line.length)));
    return Buffer.byteLength(before, "utf8") + 1;
}

// The UTF-16 offset (from 0) of a byte column (from 1) in a line.
export function utf16Character(line: string, byteColumn: number): number {
    let bytes = 0;
    let i = 0;
    while (i < line.length && bytes < byteColumn - 1) {
        const code = line.codePointAt(i) as number;
        bytes += Buffer.byteLength(String.fromCodePoint(code), "utf8");
        i += code > 0xffff ? 2 : 1;
    }
    return i;
}
