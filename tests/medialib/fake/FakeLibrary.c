/* A shared object with a few avcodec-named symbols but not all of them: binding must fail on the
 * first missing one and leave nothing loaded. */
unsigned avcodec_version(void) { return 59u << 16; }
int av_bsf_alloc(void) { return 0; }
