// load.js - the language server under load: a document of 10,000 lines is checked within
// 100 ms of a change (the median of 20 changes, from the change sent to the diagnostics
// received, the wait for further changes included), and memory stays bounded over 10,000
// changes (the resident size after 10,000 changes is within 16 MiB of that after 1,000).
// Prints the figures.
'use strict';

const fs = require('fs');
const path = require('path');
const { check, scratch, uri, start, finish } = require('./harness');

const lines = 10000;
const limitms = 100;
const changes = 10000;
const growthlimit = 16 * 1024 * 1024;

function text() {
  const written = [];
  for (let i = 0; written.length < lines; i += 1) {
    written.push(`x${i} = ${i} * 2 + y`, `if x${i} > 10`, `  print "big", x${i}, round(x${i}, 2)`, 'end');
  }
  return `${written.join('\n')}\n`;
}

function residentbytes(pid) {
  const status = fs.readFileSync(`/proc/${pid}/status`, 'utf8');
  return Number(/VmRSS:\s+(\d+) kB/.exec(status)[1]) * 1024;
}

(async () => {
  const folder = scratch({});
  const doc = uri(path.join(folder, 'big.vk'));
  const client = await start({}, {});
  client.notify('textDocument/didOpen', { textDocument: { uri: doc, languageId: 'vesk', version: 1, text: text() } });
  await client.diagnostics(doc);
  let version = 1;
  const change = (line, from, to, inserted) => {
    version += 1;
    client.notify('textDocument/didChange', {
      textDocument: { uri: doc, version },
      contentChanges: [{ range: { start: { line, character: from }, end: { line, character: to } }, text: inserted }],
    });
  };

  // Diagnostics of `version`, passing over any of an earlier version that were published
  // while the changes came in (the server checks the newest text once the changes pause).
  const diagnosticsof = async (wanted) => {
    for (;;) {
      const published = await client.diagnostics(doc);
      if (published.version >= wanted) return published;
    }
  };

  const times = [];
  for (let i = 0; i < 20; i += 1) {
    const started = process.hrtime.bigint();
    // An error made and mended in turn, in the middle of the document.
    if (i % 2 === 0) change(5000, 0, 0, 'z = (\n'); else change(5000, 0, 6, '');
    const published = await diagnosticsof(version);
    times.push(Number(process.hrtime.bigint() - started) / 1e6);
    check(`change ${i}: diagnostics of its version`, published.version === version && published.diagnostics.length === (i % 2 === 0 ? 2 : 0), published.version);
  }
  times.sort((a, b) => a - b);
  const median = times[times.length / 2];
  console.log(`${lines} lines: change to diagnostics median ${median.toFixed(1)} ms, fastest ${times[0].toFixed(1)} ms, slowest ${times[times.length - 1].toFixed(1)} ms`);
  check(`${lines} lines checked within ${limitms} ms of a change`, median < limitms, median);

  let warm = 0;
  for (let i = 1; i <= changes; i += 1) {
    if (i % 2 === 1) change(i % lines, 0, 0, 'w'); else change((i - 1) % lines, 0, 1, '');
    if (i === changes / 10) warm = residentbytes(client.child.pid);
  }
  const published = await diagnosticsof(version);
  const after = residentbytes(client.child.pid);
  console.log(`memory: ${(warm / 1048576).toFixed(1)} MiB after ${changes / 10} changes, ${(after / 1048576).toFixed(1)} MiB after ${changes}`);
  check('the last change checked', published.version === version && published.diagnostics.length === 0, published.version);
  check(`memory bounded over ${changes} changes`, after - warm < growthlimit, [warm, after]);
  const { code } = await client.stop();
  check('exit status 0', code === 0, code);
  finish();
})().catch((error) => {
  console.log(`FAILED: ${error.stack}`);
  process.exit(1);
});
