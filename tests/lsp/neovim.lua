-- neovim.lua - vesk's language server in a headless Neovim, started by its built-in client as
-- editors/vim/lua/vesk/lsp.lua starts it: a script with a mistake gets its diagnostics, and
-- completion, go to definition and formatting work through the client.
-- Run as: nvim --headless -u NONE -i NONE -n --cmd "let g:editors = 'EDITORS/vim'"
--   --cmd "let g:vesk = 'VESK'" --cmd "let g:report = 'FILE'" -c "luafile neovim.lua"
local failures = {}
local function check(name, ok, detail)
  if not ok then
    table.insert(failures, name .. ': ' .. vim.inspect(detail))
  end
end

vim.opt.runtimepath:prepend(vim.g.editors)
vim.cmd('filetype plugin indent on')
vim.g.vesk_command = ''
require('vesk.lsp').setup({ cmd = { vim.g.vesk, '--lsp' } })

local folder = vim.fn.tempname()
vim.fn.mkdir(folder, 'p')
vim.fn.writefile({ '; the area of a rectangle', 'result = width * height' }, folder .. '/area.vk')
vim.fn.writefile({ 'total = 0', 'area width = 2, height = 3', 'x = (1 +', 'if total > 1',
  'print  total', 'end' }, folder .. '/main.vk')
vim.cmd('edit ' .. folder .. '/main.vk')
local buf = vim.api.nvim_get_current_buf()
local uri = vim.uri_from_bufnr(buf)

local function request(method, params)
  local answers = vim.lsp.buf_request_sync(buf, method, params, 5000) or {}
  for _, answer in pairs(answers) do
    return answer.result
  end
end

-- Diagnostics: the unfinished expression, on the token where reading stopped.
vim.wait(10000, function() return #vim.diagnostic.get(buf) > 0 end, 20)
local shown = {}
for _, d in ipairs(vim.diagnostic.get(buf)) do
  table.insert(shown, { d.lnum, d.col, d.end_col, d.severity, d.message })
end
table.sort(shown, function(a, b) return a[5] < b[5] end)
check('diagnostics', vim.deep_equal(shown, {
  { 2, 7, 8, vim.diagnostic.severity.ERROR, 'Ausdruck nicht korrekt' },
  { 2, 7, 8, vim.diagnostic.severity.ERROR, "invalid expression following '='" },
}), shown)

-- Completion at the start of a line: built-ins, scripts of the folder, the script's variables.
local items = request('textDocument/completion', { textDocument = { uri = uri }, position = { line = 3, character = 0 } })
local labels = {}
for _, item in ipairs(items and (items.items or items) or {}) do
  labels[item.label] = item.detail or ''
end
check('completion', labels.round == 'round(x, d)' and labels.area ~= nil and labels.total ~= nil, labels)

-- Go to definition: the call of a script goes to its file.
local target = request('textDocument/definition', { textDocument = { uri = uri }, position = { line = 1, character = 1 } })
check('definition', target ~= nil and vim.uri_to_fname(target.uri or target[1].uri) == folder .. '/area.vk', target)

-- Formatting through the client.
if vim.lsp.buf.format then
  vim.lsp.buf.format({ timeout_ms = 5000 })
else
  vim.lsp.buf.formatting_sync(nil, 5000)
end
local lines = vim.api.nvim_buf_get_lines(buf, 0, -1, false)
check('formatting', vim.deep_equal(lines, { 'total = 0', 'area width = 2, height = 3', 'x = (1 +',
  'if total > 1', '  print total', 'end' }), lines)

vim.fn.writefile(vim.list_extend(failures, { #failures .. ' failures' }), vim.g.report)
vim.lsp.stop_client(vim.lsp.get_active_clients())
vim.wait(2000, function() return #vim.lsp.get_active_clients() == 0 end, 20)
vim.cmd(#failures == 1 and 'qall!' or 'cquit!')
