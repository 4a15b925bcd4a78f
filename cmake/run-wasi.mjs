// Runs a WASI program under node, as an emulator runs a foreign executable: its
// arguments, environment, standard streams and exit status pass through unchanged.
import { readFile } from 'node:fs/promises';
import { argv, env, exit } from 'node:process';
import { WASI } from 'node:wasi';

const [program, ...args] = argv.slice(2);
const wasi = new WASI({ version: 'preview1', args: [program, ...args], env, returnOnExit: true });
const module = await WebAssembly.compile(await readFile(program));
const instance = await WebAssembly.instantiate(module, wasi.getImportObject());
exit(wasi.start(instance));
