-- Run by neovim_lsp_test.sh in a headless Neovim that has the plug-in on its
-- runtime path and the Fortran file open: waits for the server, asks for a
-- hover and a definition, reads the diagnostics, and quits with 0 when all
-- are as the file says, 1 with the reason otherwise.
local function fail(why)
    io.stderr:write('FAIL: ' .. why .. '\n')
    vim.cmd('cquit 1')
end

local bufnr = vim.api.nvim_get_current_buf()
local attached = vim.wait(10000, function()
    return #vim.lsp.buf_get_clients(bufnr) > 0 and vim.lsp.buf_get_clients(bufnr)[1].initialized
end, 50)
if not attached then
    return fail('no language server attached to the Fortran buffer (filetype ' .. vim.bo.filetype .. ')')
end

local function request(method, line, character)
    local params = { textDocument = vim.lsp.util.make_text_document_params(), position = { line = line, character = character } }
    local answers = vim.lsp.buf_request_sync(bufnr, method, params, 10000) or {}
    for _, answer in pairs(answers) do
        if answer.result then
            return answer.result
        end
    end
    return nil
end

-- line 7 (0-based 6): "  100 FORMAT (I5, F8.2)"; F8.2 at character 18
local hover = request('textDocument/hover', 6, 19)
if not hover or not hover.contents.value:find('F8.2: real, 8 wide, 2 decimals', 1, true) then
    return fail('hover: ' .. vim.inspect(hover))
end
if not hover.contents.value:find('WRITE (6, 100) at line 6: 2 items, 1 record: edits L', 1, true) then
    return fail('hover names no item: ' .. hover.contents.value)
end
-- the 100 of line 5's WRITE goes to the FORMAT on line 7
local definition = request('textDocument/definition', 4, 17)
if not definition or definition.range.start.line ~= 6 then
    return fail('definition: ' .. vim.inspect(definition))
end
local got = vim.wait(10000, function()
    return #vim.diagnostic.get(bufnr) > 0
end, 50)
local diagnostics = vim.diagnostic.get(bufnr)
if not got or #diagnostics ~= 1 or diagnostics[1].lnum ~= 5 or not diagnostics[1].message:find('got LOGICAL', 1, true) then
    return fail('diagnostics: ' .. vim.inspect(diagnostics))
end
vim.cmd('qall!')
