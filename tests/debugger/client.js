// client.js - what the adapter tests share: a DebugClient (the test support that VS Code's own
// debug adapters are tested with) connected to `vesk --dap` or to a host, and waiting for an
// event that an action brings, registered before the action so that no event is missed.
'use strict';
const path = require('path');
const { DebugClient } = require('@vscode/debugadapter-testsupport');

const scripts = path.join(__dirname, 'scripts');
// Sanitizer and emulated builds are slow: every wait gets this long.
const timeout = Number(process.env.VESK_DAP_TIMEOUT || 20000);

function script(name) {
  return path.join(scripts, name);
}

// A client of `vesk --dap` (through the emulator when one is given); started and initialized.
async function launchclient() {
  const dc = new DebugClient(process.env.VESK, '--dap', 'vesk');
  dc.defaultTimeout = timeout;
  await dc.start();
  const initialized = dc.waitForEvent('initialized');
  const response = await dc.initializeRequest();
  await initialized;
  dc.capabilities = response.body;
  return dc;
}

// Runs `action` and gives the next event `name` that follows.
async function after(dc, name, action) {
  const event = dc.waitForEvent(name);
  await action();
  return event;
}

// Launches `program` (with the launch arguments in `more`) after setting `breakpoints`
// ({file: [lines...]}), and gives the first stopped event.
async function launchto(dc, program, breakpoints, more) {
  for (const [file, lines] of Object.entries(breakpoints || {}))
    await dc.setBreakpointsRequest({ source: { path: script(file) },
                                     breakpoints: lines.map(line => ({ line })) });
  await dc.launchRequest(Object.assign({ program: script(program), cwd: scripts }, more || {}));
  return after(dc, 'stopped', () => dc.configurationDoneRequest());
}

// The innermost frame of the paused run.
async function top(dc) {
  const trace = await dc.stackTraceRequest({ threadId: 1 });
  return trace.body.stackFrames[0];
}

// The globals of the paused run, by name: {value, type, variablesReference, ...}.
async function globals(dc) {
  const frame = await top(dc);
  const scopes = await dc.scopesRequest({ frameId: frame.id });
  const scope = scopes.body.scopes.find(s => s.name === 'Globals');
  const shown = await dc.variablesRequest({ variablesReference: scope.variablesReference });
  return Object.fromEntries(shown.body.variables.map(v => [v.name, v]));
}

// Every output event's text of `category` so far, collected from the start.
function collectoutput(dc, category) {
  const seen = { text: '' };
  dc.on('output', event => {
    if (event.body.category === category) seen.text += event.body.output;
  });
  return seen;
}

module.exports = { script, scripts, timeout, launchclient, after, launchto, top, globals,
                   collectoutput };
