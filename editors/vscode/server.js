// server.js - how the extension starts vesk's language server: the command and its arguments
// from the settings (vesk.path, vesk.includeFolders, vesk.libraries). Kept apart from VS Code's
// interface, so that the tests start the server exactly as the extension does.
'use strict';

// settings: { path, includeFolders, libraries } as the vesk section of the configuration has
// them (missing ones take their defaults). Returns { command, args }.
function serverCommand(settings) {
  const given = settings || {};
  const command = typeof given.path === 'string' && given.path !== '' ? given.path : 'vesk';
  const args = [];
  for (const folder of Array.isArray(given.includeFolders) ? given.includeFolders.slice(0, 2) : []) {
    args.push('-I', folder);
  }
  for (const library of Array.isArray(given.libraries) ? given.libraries : []) {
    args.push('-l', library);
  }
  args.push('--lsp');
  return { command, args };
}

module.exports = { serverCommand };
