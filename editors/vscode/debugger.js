// debugger.js - the extension's debugger for vesk scripts: the debug adapter that VS Code
// starts for a session of type "vesk" (`vesk --dap` for a launch, the host's loopback port for
// an attach), a launch of the active .vk file when there is no launch.json, and the commands
// "Run vesk file" and "Debug vesk file". Everything else is the adapter's.
'use strict';
const path = require('path');
const vscode = require('vscode');

// The vesk command, as the setting vesk.path names it.
function veskcommand() {
  return vscode.workspace.getConfiguration('vesk').get('path') || 'vesk';
}

// The adapter of a session: vesk --dap on standard input and output, or a host's listener.
const adapters = {
  createDebugAdapterDescriptor(session) {
    const configuration = session.configuration;
    if (configuration.request === 'attach')
      return new vscode.DebugAdapterServer(configuration.port, configuration.host || '127.0.0.1');
    return new vscode.DebugAdapterExecutable(veskcommand(), ['--dap']);
  },
};

// How one script file is run: in its own folder, as `vesk FILE` would run it there.
function fileconfiguration(file, nodebug) {
  return {
    type: 'vesk',
    request: 'launch',
    name: nodebug ? 'Run vesk file' : 'Debug vesk file',
    program: file,
    cwd: path.dirname(file),
    noDebug: nodebug,
  };
}

// F5 without a launch.json debugs the active .vk file; with none open, VS Code asks.
const configurations = {
  resolveDebugConfiguration(folder, configuration) {
    if (configuration.type || configuration.request || configuration.name) return configuration;
    const editor = vscode.window.activeTextEditor;
    if (!editor || editor.document.languageId !== 'vesk') return configuration;
    return fileconfiguration(editor.document.uri.fsPath, false);
  },
};

// The commands take the file they were invoked on (the editor's title bar) or the active one.
function startfile(resource, nodebug) {
  const uri = resource instanceof vscode.Uri ? resource : vscode.window.activeTextEditor?.document.uri;
  if (!uri) return vscode.window.showErrorMessage('Open a vesk script (.vk) first.');
  return vscode.debug.startDebugging(vscode.workspace.getWorkspaceFolder(uri),
                                     fileconfiguration(uri.fsPath, nodebug), { noDebug: nodebug });
}

function activate(context) {
  context.subscriptions.push(
      vscode.debug.registerDebugAdapterDescriptorFactory('vesk', adapters),
      vscode.debug.registerDebugConfigurationProvider('vesk', configurations),
      vscode.commands.registerCommand('vesk.runFile', resource => startfile(resource, true)),
      vscode.commands.registerCommand('vesk.debugFile', resource => startfile(resource, false)));
}

function deactivate() {}

module.exports = { activate, deactivate };
