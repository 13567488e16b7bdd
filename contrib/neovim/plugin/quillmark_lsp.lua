-- Starts quillmark-lsp, the Fortran FORMAT language server, for Fortran
-- buffers: hover on an edit descriptor, the findings of the format check as
-- diagnostics, definition from a WRITE's label to its FORMAT, references
-- from a FORMAT to the statements that use it.
--
-- Put this folder on 'runtimepath' (or this file in ~/.config/nvim/plugin).
-- Settings, before a Fortran buffer opens:
--   vim.g.quillmark_lsp_command = { '/path/to/quillmark-lsp' }
--   vim.g.quillmark_lsp_settings = { exactSamples = true, sourceForm = 'fixed' }
-- Works with Neovim 0.7 and later; beside another Fortran server (fortls).

if vim.g.loaded_quillmark_lsp then
    return
end
vim.g.loaded_quillmark_lsp = true

local clients = {} -- one client a folder, on Neovim without vim.lsp.start

local function start(args)
    local bufnr = args.buf
    local command = vim.g.quillmark_lsp_command or { 'quillmark-lsp' }
    if vim.fn.executable(command[1]) == 0 then
        return
    end
    local name = vim.api.nvim_buf_get_name(bufnr)
    local root = name ~= '' and vim.fn.fnamemodify(name, ':p:h') or vim.fn.getcwd()
    local config = {
        name = 'quillmark',
        cmd = command,
        root_dir = root,
        init_options = vim.g.quillmark_lsp_settings or vim.empty_dict(),
    }
    if vim.lsp.start then
        vim.lsp.start(config, { bufnr = bufnr })
        return
    end
    if not clients[root] or vim.lsp.client_is_stopped(clients[root]) then
        clients[root] = vim.lsp.start_client(config)
    end
    if clients[root] then
        vim.lsp.buf_attach_client(bufnr, clients[root])
    end
end

vim.api.nvim_create_autocmd('FileType', {
    pattern = 'fortran',
    group = vim.api.nvim_create_augroup('quillmark_lsp', { clear = true }),
    callback = start,
})
