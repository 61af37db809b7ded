#include "transcode/Ac3Converter.h"

#include "base/InputGate.h"
#include "transcode/Ac3Frames.h"
#include "transcode/AvHandles.h"
#include "transcode/ChunkedEncoder.h"
#include "transcode/EditList.h"
#include "transcode/FormatChain.h"
#include "transcode/InputFormats.h"
#include "transcode/JobLimits.h"
#include "transcode/ResultContainer.h"
#include "transcode/SeekableOutput.h"
#include "transcode/StreamChoice.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <tuple>
#include <unistd.h>

namespace plumark::transcode {

namespace {

// The ffmpeg program gives up when more than this share of the decoder's
// calls failed, and otherwise keeps what it could decode.
constexpr double MaxErrorRate = 2.0 / 3.0;
// An input whose audio ends this many seconds or more before its declared
// length is said to end early; a whole file ends within a frame of it.
constexpr double EarlyEndSlack = 0.5;

struct ConverterFailure
{
    QString reason;
};

[[noreturn]] void fail(const QString& reason)
{
    throw ConverterFailure{reason};
}

void check(int code, const QString& context = {})
{
    if (code >= 0)
        return;
    if (code == AVERROR(ENOMEM))
        fail(memoryLimitReason());
    fail(context.isEmpty() ? errorText(code) : context + QStringLiteral(": ") + errorText(code));
}

class Conversion
{
public:
    Conversion(const Ac3Job& job, ResultFile& result, const ProgressReport& progress)
        : m_job(job), m_progress(progress), m_result(result)
    {
    }

    // The input opened, within its limits, with its decoder ready.
    void openForDecoding()
    {
        openInput();
        checkLimits();
        openDecoder();
    }

    Packet newPacket()
    {
        Packet packet(av_packet_alloc());
        if (!packet)
            check(AVERROR(ENOMEM));
        return packet;
    }

    void run()
    {
        openForDecoding();
        const Packet packet = newPacket();
        // A read error ends the input as its end does: what was read is kept.
        while (av_read_frame(m_input.get(), packet.get()) >= 0) {
            if (packet->stream_index == m_streamIndex) {
                reportProgress(*packet);
                noteEnd(*packet);
                decode(packet.get());
            }
            av_packet_unref(packet.get());
        }
        decode(nullptr);
        finish();
    }

    // The shape of the frames run() would write: the input is decoded up to
    // its first frame, which shapes the chain and the encoder as it would
    // there, and the encoder makes one frame of silence. Nothing is written.
    Ac3Shape plan()
    {
        m_planning = true;
        openForDecoding();
        const Packet packet = newPacket();
        while (!m_chainReady && av_read_frame(m_input.get(), packet.get()) >= 0) {
            if (packet->stream_index == m_streamIndex)
                decode(packet.get());
            av_packet_unref(packet.get());
        }
        if (!m_chainReady)
            decode(nullptr);
        if (!m_chainReady)
            configureFromStream();
        return silentFrameShape();
    }

    // Reads the input's audio packets to its end, decoding nothing, for
    // where its data ends (shortfall()).
    void measure()
    {
        openInput();
        const Packet packet = newPacket();
        while (av_read_frame(m_input.get(), packet.get()) >= 0) {
            if (packet->stream_index == m_streamIndex)
                noteEnd(*packet);
            av_packet_unref(packet.get());
        }
    }

    // Why the input is refused before anything is decoded: what it declares
    // cannot be held, or it repeats its audio. Empty when it is not, or when
    // it cannot even be opened (the converter then says why).
    QString refusal()
    {
        try {
            openInput();
        } catch (const ConverterFailure& failure) {
            // Tables too large to hold are refused; any other fault is the
            // converter's to name.
            return failure.reason == memoryLimitReason() ? failure.reason : QString();
        }
        checkLimits();
        return {};
    }

private:
    void openInput()
    {
        // Only a music file's own formats are opened, never one that reads
        // other files or protocols (a playlist or manifest posing as an M4A).
        // Opened only through the input gate, which is asked again here: a
        // file put in the input's place since the batch planned is judged too.
        const AdmittedInput admitted(m_job.input);
        if (!admitted.admitted())
            fail(admitted.reason());
        const QByteArray path = admitted.url();
        const AVInputFormat* format = nullptr;
        check(probeInputFormat(path, &format));
        if (!isMusicFormat(*format))
            fail(QStringLiteral("The input is not an audio file but %1 (%2).")
                     .arg(QString::fromUtf8(format->long_name ? format->long_name : format->name),
                          QString::fromUtf8(format->name)));
        AVFormatContext* input = nullptr;
        Dictionary options;
        restrictToMusicFormats(options.address());
        const int opened = avformat_open_input(&input, path.constData(), format, options.address());
        check(opened);
        m_input.reset(input);
        // Parameters that cannot all be found still leave the streams to convert.
        if (avformat_find_stream_info(m_input.get(), nullptr) < 0 && m_input->nb_streams == 0)
            fail(QStringLiteral("could not find codec parameters"));
        m_streamIndex = chooseAudioStream(*m_input);
        if (m_streamIndex < 0)
            fail(QStringLiteral("The input has no audio stream."));
        for (unsigned i = 0; i < m_input->nb_streams; ++i)
            if (int(i) != m_streamIndex)
                m_input->streams[i]->discard = AVDISCARD_ALL;
        m_stream = m_input->streams[m_streamIndex];
        m_mp4 = std::strstr(m_input->iformat->name, "mp4") != nullptr;
        if (m_input->duration > 0)
            m_duration = double(m_input->duration) / AV_TIME_BASE;
        else if (m_stream->duration > 0)
            m_duration = double(m_stream->duration) * av_q2d(m_stream->time_base);
        m_allowance.emplace(*m_input, *m_stream);
        // The audio stream's own length, where the container gives it.
        m_declaredLength = m_stream->duration > 0
                               ? double(m_stream->duration) * av_q2d(m_stream->time_base)
                               : m_duration;
    }

    // What the input declares must be what it can hold.
    void checkLimits()
    {
        QString refusal = m_allowance->tableRefusal(*m_stream);
        if (refusal.isEmpty() && m_mp4)
            refusal = editListRefusal(m_job.input, m_stream->id);
        if (!refusal.isEmpty())
            fail(refusal);
    }

    void openDecoder()
    {
        const AVCodecParameters& parameters = *m_stream->codecpar;
        const AVCodec* codec = avcodec_find_decoder(parameters.codec_id);
        if (!codec)
            fail(QStringLiteral("Decoder (codec %1) not found for the audio stream.")
                     .arg(QString::fromUtf8(avcodec_get_name(parameters.codec_id))));
        m_decoder.reset(avcodec_alloc_context3(codec));
        if (!m_decoder)
            check(AVERROR(ENOMEM));
        check(avcodec_parameters_to_context(m_decoder.get(), &parameters));
        // An unnamed layout is taken as the usual one for its channel count.
        if (m_decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
            const int channels = m_decoder->ch_layout.nb_channels;
            av_channel_layout_uninit(&m_decoder->ch_layout);
            av_channel_layout_default(&m_decoder->ch_layout, channels);
        }
        // The decoder drops the encoder's priming samples by the stream's timing.
        m_decoder->pkt_timebase = m_stream->time_base;
        limitDecodedFrames(m_decoder.get(), &m_frameRefused);
        Dictionary options;
        // Files are converted in parallel by separate processes.
        options.set("threads", "1");
        const int opened = avcodec_open2(m_decoder.get(), codec, options.address());
        check(opened, QStringLiteral("Error while opening decoder for the audio stream"));
        m_frame.reset(av_frame_alloc());
        m_filtered.reset(av_frame_alloc());
        if (!m_frame || !m_filtered)
            check(AVERROR(ENOMEM));
    }

    // Every packet read is progress, also one without a time: the position
    // then stays where it was.
    void reportProgress(const AVPacket& packet)
    {
        if (!m_progress)
            return;
        if (packet.pts != AV_NOPTS_VALUE) {
            const int64_t start = m_stream->start_time == AV_NOPTS_VALUE ? 0 : m_stream->start_time;
            m_position = std::max(0.0, double(packet.pts - start) * av_q2d(m_stream->time_base));
        }
        m_progress(m_position, m_duration);
    }

    // How far the input's audio reaches, by its packets' own times.
    void noteEnd(const AVPacket& packet)
    {
        // A packet whose data the file's end cut, in a file whose index
        // gives every packet's size: the input ends where it starts, however
        // near its declared end.
        m_dataCut = m_mp4 && (packet.flags & AV_PKT_FLAG_CORRUPT);
        if (packet.pts == AV_NOPTS_VALUE)
            return;
        const int64_t start = m_stream->start_time == AV_NOPTS_VALUE ? 0 : m_stream->start_time;
        if (m_dataCut)
            m_cutAt = double(packet.pts - start) * av_q2d(m_stream->time_base);
        m_end = std::max(m_end, double(packet.pts + std::max<int64_t>(packet.duration, 0) - start) *
                                    av_q2d(m_stream->time_base));
    }

    // One packet, or the decoder's end with nullptr; each call that fails
    // counts against the input as it does in the ffmpeg program.
    void decode(const AVPacket* packet)
    {
        int result = avcodec_send_packet(m_decoder.get(), packet);
        if (result < 0 && result != AVERROR_EOF) {
            countDecodeError(result);
            return;
        }
        for (;;) {
            result = avcodec_receive_frame(m_decoder.get(), m_frame.get());
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
                return;
            if (result >= 0 && m_frame->sample_rate <= 0)
                result = AVERROR_INVALIDDATA;
            if (result < 0) {
                countDecodeError(result);
                return;
            }
            ++m_decoded;
            filter(m_frame.get());
            av_frame_unref(m_frame.get());
        }
    }

    void countDecodeError(int code)
    {
        // Memory is no fault of the data: a cap reached ends the conversion.
        if (m_frameRefused || code == AVERROR(ENOMEM))
            fail(memoryLimitReason());
        ++m_decodeErrors;
        m_lastDecodeError = errorText(code);
    }

    void filter(AVFrame* frame)
    {
        if (m_planning) {
            if (!m_chainReady)
                configureChain(*frame);
            return;
        }
        if (!m_chainReady || m_chain.differsFrom(*frame)) {
            // The audio changed shape: what the old graph holds in whole
            // frames goes on, and a new graph takes over.
            if (m_chainReady)
                drainChain();
            configureChain(*frame);
        }
        check(m_chain.push(frame), QStringLiteral("Error while filtering"));
        drainChain();
    }

    void configureChain(const AVFrame& shape)
    {
        const AVCodec* codec = avcodec_find_encoder_by_name("ac3");
        if (!codec)
            fail(QStringLiteral("Unknown encoder 'ac3'"));
        check(m_chain.configure(shape, *codec, m_encoder.get()),
              QStringLiteral("Error configuring the filter graph"));
        m_chainReady = true;
        if (!m_encoder)
            openEncoder(*codec);
        if (!(codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE))
            m_chain.setFrameSize(m_encoder->frame_size);
    }

    // The encoder takes what the graph gives, with only the bit rate set.
    Codec newEncoder(const AVCodec& codec)
    {
        Codec encoder(avcodec_alloc_context3(&codec));
        if (!encoder)
            check(AVERROR(ENOMEM));
        encoder->sample_fmt = AVSampleFormat(m_chain.outputFormat());
        encoder->sample_rate = m_chain.outputSampleRate();
        check(m_chain.copyOutputLayout(&encoder->ch_layout));
        encoder->time_base = AVRational{1, encoder->sample_rate};
        Dictionary options;
        options.set("b", m_job.rateToken.toUtf8().constData());
        const int opened = avcodec_open2(encoder.get(), &codec, options.address());
        if (opened < 0)
            fail(QStringLiteral("Error while opening encoder for output stream #0:0 - maybe "
                                "incorrect parameters such as bit_rate, rate, width or height"));
        return encoder;
    }

    void openEncoder(const AVCodec& codec)
    {
        m_encoder = newEncoder(codec);
        if (m_planning)
            return;
        openOutput();
        // Every chunk's encoder is opened as this one, which shapes them.
        if (m_job.threads > 1)
            m_chunked = std::make_unique<ChunkedEncoder>(
                *m_encoder, [this, &codec]() { return newEncoder(codec); },
                [this](AVPacket& packet) { writePacket(packet); }, m_job.threads,
                m_job.chunkFrames);
    }

    Ac3Shape silentFrameShape()
    {
        Frame silence(av_frame_alloc());
        Packet packet(av_packet_alloc());
        if (!silence || !packet)
            check(AVERROR(ENOMEM));
        silence->format = m_encoder->sample_fmt;
        silence->sample_rate = m_encoder->sample_rate;
        silence->nb_samples = m_encoder->frame_size;
        check(av_channel_layout_copy(&silence->ch_layout, &m_encoder->ch_layout));
        check(av_frame_get_buffer(silence.get(), 0));
        av_samples_set_silence(silence->extended_data, 0, silence->nb_samples,
                               silence->ch_layout.nb_channels, m_encoder->sample_fmt);
        check(avcodec_send_frame(m_encoder.get(), silence.get()));
        check(avcodec_send_frame(m_encoder.get(), nullptr));
        check(avcodec_receive_packet(m_encoder.get(), packet.get()));
        Ac3Shape shape;
        int frameBytes = 0;
        if (!readAc3Shape(packet->data, packet->size, &shape, &frameBytes))
            fail(QStringLiteral("The encoder made no AC3 frame."));
        return shape;
    }

    void openOutput()
    {
        const QString problem = m_result.create(m_job.output);
        if (!problem.isEmpty())
            fail(problem);
        // The partial file is written through its own descriptor: its name is
        // never opened again, so nothing put there in its place is followed.
        const QByteArray target = "pipe:" + QByteArray::number(m_result.fd());
        AVFormatContext* output = nullptr;
        check(avformat_alloc_output_context2(&output, nullptr, formatName(m_job.container),
                                             target.constData()));
        m_output.reset(output);
        AVStream* stream = avformat_new_stream(m_output.get(), nullptr);
        if (!stream)
            check(AVERROR(ENOMEM));
        check(avcodec_parameters_from_context(stream->codecpar, m_encoder.get()));
        stream->time_base = m_encoder->time_base;
        check(m_container.prepare(*m_output, *m_input, *m_stream, m_job.container));
        if (m_job.container == Container::Ac3) {
            check(avio_open(&m_output->pb, target.constData(), AVIO_FLAG_WRITE),
                  QStringLiteral("Could not write the result"));
        } else {
            // Containers go back to complete their indexes.
            m_outputFd = m_result.fd();
            m_seekable = openSeekableOutput(&m_outputFd);
            if (!m_seekable)
                check(AVERROR(ENOMEM));
            m_output->pb = m_seekable.get();
            m_output->flags |= AVFMT_FLAG_CUSTOM_IO;
        }
        check(avformat_write_header(m_output.get(), nullptr));
        check(m_container.writeCover(*m_output), QStringLiteral("Could not write the result"));
        m_packet.reset(av_packet_alloc());
        if (!m_packet)
            check(AVERROR(ENOMEM));
    }

    void drainChain(bool ending = false)
    {
        for (;;) {
            const int result = m_chain.pull(m_filtered.get(), ending);
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
                return;
            check(result, QStringLiteral("Error while filtering"));
            m_resultSamples += m_filtered->nb_samples;
            const double resultSeconds = double(m_resultSamples) / m_encoder->sample_rate;
            if (!m_allowance->allows(resultSeconds))
                fail(m_allowance->reason(resultSeconds));
            encode(m_filtered.get());
            av_frame_unref(m_filtered.get());
        }
    }

    // One frame, or the encoder's end with nullptr; every packet it gives is
    // written at once.
    void encode(const AVFrame* frame)
    {
        if (m_chunked) {
            check(frame ? m_chunked->push(*frame) : m_chunked->finish(),
                  QStringLiteral("Audio encoding failed"));
            return;
        }
        check(avcodec_send_frame(m_encoder.get(), frame), QStringLiteral("Audio encoding failed"));
        for (;;) {
            const int result = avcodec_receive_packet(m_encoder.get(), m_packet.get());
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
                return;
            check(result, QStringLiteral("Audio encoding failed"));
            writePacket(*m_packet);
        }
    }

    void writePacket(AVPacket& packet)
    {
        packet.stream_index = 0;
        av_packet_rescale_ts(&packet, m_encoder->time_base, m_output->streams[0]->time_base);
        check(av_interleaved_write_frame(m_output.get(), &packet),
              QStringLiteral("Could not write the result"));
        ++m_written;
    }

    // Nothing was decoded: the stream's own parameters shape the graph.
    void configureFromStream()
    {
        const AVCodecParameters& parameters = *m_stream->codecpar;
        if (parameters.format < 0 || parameters.sample_rate <= 0)
            fail(m_decodeErrors > 0 ? m_lastDecodeError
                                    : QStringLiteral("Cannot determine the format of the "
                                                     "audio stream."));
        Frame shape(av_frame_alloc());
        if (!shape)
            check(AVERROR(ENOMEM));
        shape->format = parameters.format;
        shape->sample_rate = parameters.sample_rate;
        check(av_channel_layout_copy(&shape->ch_layout, &parameters.ch_layout));
        configureChain(*shape);
    }

    void finish()
    {
        if (!m_chainReady)
            configureFromStream();
        check(m_chain.push(nullptr), QStringLiteral("Error while filtering"));
        drainChain(true);
        encode(nullptr);
        check(av_write_trailer(m_output.get()), QStringLiteral("Could not write the result"));
        if (m_seekable) {
            avio_flush(m_seekable.get());
            check(m_seekable->error, QStringLiteral("Could not write the result"));
        } else {
            check(avio_closep(&m_output->pb), QStringLiteral("Could not write the result"));
        }

        if (m_decodeErrors > (m_decoded + m_decodeErrors) * MaxErrorRate)
            fail(m_lastDecodeError);
        if (m_written == 0)
            fail(QStringLiteral("Output file is empty, nothing was encoded"));
        const QString problem = m_result.commit();
        if (!problem.isEmpty())
            fail(problem);
    }

public:
    // Where an input that ended early ended, and the length it declared.
    std::pair<double, double> shortfall() const
    {
        if (m_declaredLength > 0 && m_dataCut && m_cutAt >= 0)
            return {m_cutAt, m_declaredLength};
        if (m_declaredLength > 0 && m_end >= 0 && m_end < m_declaredLength - EarlyEndSlack)
            return {m_end, m_declaredLength};
        return {-1, -1};
    }

private:
    const Ac3Job& m_job;
    const ProgressReport& m_progress;
    ResultFile& m_result;
    InputFormat m_input;
    AVStream* m_stream = nullptr;
    int m_streamIndex = -1;
    double m_duration = -1;
    double m_position = 0;
    std::optional<OutputAllowance> m_allowance;
    bool m_frameRefused = false;
    qint64 m_resultSamples = 0;
    double m_declaredLength = -1;
    double m_end = -1;
    bool m_mp4 = false; // the MP4 family: boxes, an index of packets
    bool m_dataCut = false;
    double m_cutAt = -1;
    bool m_planning = false;
    Codec m_decoder;
    Frame m_frame;
    Frame m_filtered;
    FormatChain m_chain;
    bool m_chainReady = false;
    Codec m_encoder;
    std::unique_ptr<ChunkedEncoder> m_chunked; // with more than one thread
    ResultContainer m_container;
    int m_outputFd = -1;
    SeekableOutput m_seekable;
    OutputFormat m_output;
    Packet m_packet;
    qint64 m_decoded = 0;
    qint64 m_decodeErrors = 0;
    QString m_lastDecodeError;
    qint64 m_written = 0;
};

// Runs step on a conversion of job under the library's caps; a failure comes
// back as its reason, empty when there was none.
template <typename Step>
QString attempt(const Ac3Job& job, ResultFile& result, const ProgressReport& progress, Step step)
{
    capLibraryAllocations();
    try {
        Conversion conversion(job, result, progress);
        step(conversion);
        return {};
    } catch (const ConverterFailure& failure) {
        return failure.reason;
    } catch (const std::bad_alloc&) {
        return memoryLimitReason();
    }
}

// A step that writes nothing.
template <typename Step> QString attempt(const Ac3Job& job, Step step)
{
    ResultFile unused;
    return attempt(job, unused, {}, step);
}

} // namespace

Ac3Result convertToAc3(const Ac3Job& job, ResultFile& result, const ProgressReport& progress)
{
    Ac3Result converted{true, {}};
    converted.reason = attempt(job, result, progress, [&](Conversion& conversion) {
        conversion.run();
        std::tie(converted.endedAt, converted.declaredLength) = conversion.shortfall();
    });
    if (converted.reason.isEmpty())
        return converted;
    result.discard();
    return {false, converted.reason};
}

Ac3Plan planAc3(const Ac3Job& job)
{
    Ac3Plan plan;
    plan.failure = attempt(job, [&](Conversion& conversion) { plan.shape = conversion.plan(); });
    return plan;
}

Ac3Result measureInput(const Ac3Job& job)
{
    Ac3Result measured{true, {}};
    measured.reason = attempt(job, [&](Conversion& conversion) {
        conversion.measure();
        std::tie(measured.endedAt, measured.declaredLength) = conversion.shortfall();
    });
    if (!measured.reason.isEmpty())
        return {false, measured.reason};
    return measured;
}

QString inputRefusal(const Ac3Job& job)
{
    QString refusal;
    const QString failure =
        attempt(job, [&](Conversion& conversion) { refusal = conversion.refusal(); });
    return failure.isEmpty() ? refusal : failure;
}

Ac3Result convertToAc3(const Ac3Job& job, const ProgressReport& progress)
{
    ResultFile result;
    return convertToAc3(job, result, progress);
}

} // namespace plumark::transcode
