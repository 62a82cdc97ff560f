/* Native CoreSDKLib: places the module-globals block right after the ELF
   headers, ahead of relocations and code, so its image offsets hold however
   large sanitizer instrumentation makes the rest of the library. */
SECTIONS
{
  .irsim_image (NOLOAD) : ALIGN(0x1000) { KEEP(*(.irsim_image)) }
}
INSERT BEFORE .hash;
