-- lsp.lua - vesk's language server (vesk --lsp) in Neovim, through its built-in client: one
-- server for the vesk buffers of each folder. In init.lua: require('vesk.lsp').setup()
-- (options: cmd, the command line that starts the server, default { 'vesk', '--lsp' }).
local M = {}

function M.setup(options)
  local cmd = (options or {}).cmd or { 'vesk', '--lsp' }
  local clients = {}
  vim.api.nvim_create_autocmd('FileType', {
    pattern = 'vesk',
    callback = function(event)
      local folder = vim.fn.fnamemodify(vim.api.nvim_buf_get_name(event.buf), ':p:h')
      local id = clients[folder]
      if id == nil or vim.lsp.get_client_by_id(id) == nil then
        id = vim.lsp.start_client({ name = 'vesk', cmd = cmd, root_dir = folder })
        clients[folder] = id
      end
      if id ~= nil then
        vim.lsp.buf_attach_client(event.buf, id)
      end
    end,
  })
end

return M
